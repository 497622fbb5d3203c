#pragma once

#include "wizard/EditedText.h"

namespace orb {

// Where the component's header goes in a C++ source whose literals were rewritten: at file
// level, outside every conditional block of the preprocessor (an include guard around the
// whole file counts as file level), so that every build sees Translate, and before the first
// rewritten literal.
struct IncludePlace
{
    bool included = false; // the file includes the header at file level before that literal
    // The end of the line after which the header goes, or -1: at the start of the text.
    qsizetype lineEnd = -1;
};
IncludePlace findIncludePlace(const EditedText& text, QStringView header, qsizetype firstUse);

} // namespace orb
