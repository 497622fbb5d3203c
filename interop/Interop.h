#pragma once

#include "interop/Catalog.h"
#include "interop/PoFormat.h"
#include "interop/TsFormat.h"

#include <QByteArray>
#include <QString>

namespace orb {

// One language of a dictionary exchanged with the translators' own tools: Qt Linguist's .ts
// files (TsFormat.h) and gettext's .po files (PoFormat.h), through the catalog of its
// messages (Catalog.h). The orb-lng export, import and qm subcommands sit on top; this file
// tells the formats apart and reads a file of either.

// The largest .ts or .po file read, as for dictionaries: a bound on the memory a hostile
// file can make the reader take.
inline constexpr qint64 kMaxInteropFileBytes = qint64(256) << 20;

enum class InteropFormat { Ts, Po };

// The format of a file: by its extension (.ts; .po or .pot), else by its content (an XML
// document is .ts, anything else .po).
InteropFormat detectInteropFormat(const QString& path, const QByteArray& bytes);
// Reads a .ts or .po file, refusing one larger than kMaxInteropFileBytes. False, with error
// saying why (the system's reason, the size, or the reader's "line N: reason").
bool readInteropFile(const QString& path, InteropCatalog& catalog, QString* error = nullptr);

} // namespace orb
