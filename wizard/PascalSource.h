#pragma once

#include "wizard/Harvest.h"

#include <memory>

namespace orb {

// A unit's text read as Pascal reads it, where the quote scan of the harvest does not: which
// quotes open, double and close string pieces, and what comments hide. A selection's line is
// read from its start, so that a comment opened on an earlier line is not known there (the
// answers then lean to leaving the source as it is).

// The phrase a selection stands for: DecodeLiteral of it, the piece it starts or ends inside
// completed with its quote, so that a word selected inside a literal is that word and a
// doubled quote cut in two is still one quote.
QString pascalSelectionPhrase(const EditedText& text, Selection selection);

// The selection is one string expression, which Translate(...) can enclose: quoted pieces and
// character codes (#13, #$0D), joined by blanks, line breaks and "+", from an opening quote or
// a code to a closing quote or the end of a code. Not a word inside a literal, not from a
// closing quote (the stretch between two literals), nothing with a comment or other code.
bool isPascalStringExpression(const EditedText& text, Selection selection);

// Whether quotes open a string piece, for quotes asked about from the start of the text on:
// each part of the text is read once, comments across lines included, as long as the
// questions move forward. One asked about behind the last is read from its line's start.
class PascalQuoteReader
{
public:
    explicit PascalQuoteReader(const EditedText& text);
    ~PascalQuoteReader();
    bool opensPiece(qsizetype quote);
    // The text changed before pos, which stands in code (after a rewritten literal).
    void continueInCodeAt(qsizetype pos);

private:
    class Reader;
    const EditedText& m_text;
    std::unique_ptr<Reader> m_reader;
};

// The uses clauses of a unit, read outside comments and strings, their words in any case as
// Pascal reads them.
struct UsesClauses
{
    qsizetype firstEnd = -1; // the position of the ";" that ends the first clause, or -1
    bool name = false;       // some clause names the unit asked about
};
UsesClauses readUsesClauses(const EditedText& text, QStringView unit);

} // namespace orb
