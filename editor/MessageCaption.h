#pragma once

#include <QString>

// The caption of every message box of the editor.
inline QString MessageCaption()
{
    return QStringLiteral("Varnok Translation Toolkit");
}
