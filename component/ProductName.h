#pragma once

#include <QString>

namespace orb {

// The product's name, the caption of every message box of the toolkit's programs and of the
// component. The build defines it once, for the version block too.
inline QString productName()
{
    return QStringLiteral(ORB_PRODUCT_NAME);
}

} // namespace orb
