#pragma once

#include "interop/Catalog.h"

#include <QByteArray>

namespace orb {

// gettext's .po files, read and written as bytes so that tests and fuzz targets need no files.

// The file as .po: a UTF-8 header, C escapes, texts with line breaks written one line per
// string. An empty translation is written untranslated.
QByteArray writePo(const InteropCatalog& catalog);

// Reads the bytes of a .po file into catalog. False, with error "line N: reason", when they
// are not such a file: an unterminated string, a bad escape, a keyword out of place, a charset
// other than UTF-8, bytes that are not UTF-8. catalog is written only on success.
bool readPo(const QByteArray& bytes, InteropCatalog& catalog, QString* error = nullptr);

// Why msgfmt --check would refuse the message, or nothing: gettext wants a translation to begin
// and end with a line break exactly when its source text does (an empty one is untranslated).
QString msgfmtObjection(const InteropMessage& message);

} // namespace orb
