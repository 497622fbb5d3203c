#pragma once

#include "wizard/Harvest.h"

#include <vector>

namespace orb {

// The translatable texts of Qt Designer forms (.ui). The forms are never rewritten: the
// component's walk translates their texts at run time, so the harvest only offers them for the
// dictionary, as it does a Delphi form's.

// A <string> element's text: where it stands in the form's XML (between the tags, entities
// and all) and the text it stands for.
struct DesignerString
{
    Selection source;
    QString phrase;
};

// The form's <string> elements not marked notr="true", in document order (window titles,
// texts, tool tips, status tips, whatsThis, placeholders, items, header items, tab titles,
// actions: whatever property or attribute holds them); empty texts left out. False, with the
// reason and its line in *error, when the XML is malformed or declares a document type.
bool readDesignerStrings(QStringView xml, std::vector<DesignerString>& strings, QString* error);

// The text a stretch of XML character data stands for: entity and character references
// resolved, CDATA sections unwrapped (what a selection in a form's XML means).
QString decodeXmlText(QStringView source);

// Offers every string not yet in the column (PromptKind::AddPhrase), the selection on its text
// in the XML shown. False when the user cancelled.
bool harvestDesignerStrings(const EditedText& text, const std::vector<DesignerString>& strings,
                         HarvestPrompt& prompt, PhraseSink& sink);

} // namespace orb
