#pragma once

#include "interop/Catalog.h"

#include <QByteArray>

namespace orb {

// Qt Linguist's .ts files, read and written as bytes so that tests and fuzz targets need no
// files.

// The file as .ts: UTF-8, TS version 2.1, the messages in the contexts they name, one
// <context> per run of messages with the same one. An empty translation is written unfinished.
QByteArray writeTs(const InteropCatalog& catalog);

// Reads the bytes of a .ts file into catalog. False, with error "line N: reason", when they
// are not such a file: malformed XML, a document type declaration other than Linguist's bare
// <!DOCTYPE TS> (which keeps entity declarations out), a message without its source. catalog
// is written only on success.
bool readTs(const QByteArray& bytes, InteropCatalog& catalog, QString* error = nullptr);

} // namespace orb
