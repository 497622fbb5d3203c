#pragma once

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryImport.h"

#include <QString>

namespace orb {

// A pseudo-translation shows a localiser, on the running program, every text that does not
// go through the dictionary and every text that does not fit: each text of the pseudo
// language is its source text with accented letters, bracketed, and about 30 % longer.
//
//     "Save file"            -> "[Ŝàvé ƒîļé···]"
//     "&Open %1..."          -> "[&Öpéñ %1...··]"
//     "<b>Name:</b> %s\n"    -> "<b>[Ñàmé:</b> %s··]\n"
//
// Letters without a look-alike in the fonts every desktop has (b m p q v x, B F M P Q V X)
// stay as they are. What the program reads is kept as it is: the "&" of accelerators (the
// letter after one is accented like any other), "&&", placeholders (%1 to %99, %L1, %n,
// printf and Delphi formats such as %s, %-10.2f, %0:s and %%), the HTML tags of Qt's rich
// text with everything inside them and the contents of style and script elements, entities
// (&amp; &#160; &#x41;), line breaks and all whitespace. The brackets go inside the
// whitespace and tags that open and close the text, so that a rich text still starts with
// its tag and is still taken for one, and the padding of middle dots (U+00B7) goes before
// the closing bracket.

// The pseudo-translation of a text. Empty stays empty, and so does a text of whitespace and
// tags alone; a text that is a pseudo-translation already comes back unchanged, so that
// filling a column twice does not bracket its texts twice.
QString pseudoTranslate(const QString& text);
// Whether the text carries the marker: "[" after its opening whitespace and tags, and at least
// one middle dot and "]" before its closing ones.
bool isPseudoTranslation(const QString& text);

// The identifier the editor proposes for a pseudo language. It is an XML element name, as
// every language identifier must be.
QString defaultPseudoLangId();

// Plans filling the column with identifier targetId with the pseudo-translations of the
// column sourceCol, row by row (an empty source cell gives an empty target cell, and every
// text the target held is replaced). A target the table lacks becomes a new column at the
// right end, named "Pseudo" with charset 0; one the table has keeps its name and charset.
// The plan has the form of an import's, so that the table and its model apply both alike.
// False when sourceCol is no column of the table or targetId is the source's identifier.
bool planPseudoColumn(const DictTable& table, int sourceCol, const QString& targetId, ImportPlan& plan);

// Whether a fill planned so would replace a text that is not a pseudo-translation, which
// unlike those cannot be made again.
bool planReplacesOwnTexts(const DictTable& table, const ImportPlan& plan);

} // namespace orb
