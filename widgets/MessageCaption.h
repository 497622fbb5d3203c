#pragma once

#include "component/ProductName.h"

// The caption of every message box of the editor.
inline QString MessageCaption()
{
    return orb::productName();
}
