#pragma once

#include "component/ProductName.h"

namespace orb {

// The caption of every message box of the editor.
inline QString messageCaption()
{
    return orb::productName();
}

} // namespace orb
