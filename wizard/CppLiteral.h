#pragma once

#include <QString>

namespace orb {

// What a C++ string-literal expression stands for: one literal or several adjacent ones
// (whitespace, line breaks and comments between them), each with its prefix (u8 u U L) and
// raw or not, escapes decoded (\n \t \" \\ \' \xHH \uXXXX \UXXXXXXXX, octal and the rest of
// the standard's simple escapes), the pieces joined.
QString decodeCppLiteral(QStringView source);

// decodeCppLiteral's phrase, appended to phrase.
void appendCppLiteral(QStringView source, QString& phrase);

// What opens and closes the body of the literal in source that holds offset: its prefix and
// quote (or raw delimiter), and its closing; both empty when offset is outside every body.
struct LiteralBodyDelimiters
{
    QString open;
    QString close;
};
LiteralBodyDelimiters literalBodyDelimitersAround(QStringView source, qsizetype offset);

} // namespace orb
