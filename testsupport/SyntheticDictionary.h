#pragma once

#include "component/LangDict.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace orb {

// Deterministic dictionaries for tests and benchmarks: English, German, Russian and French
// columns of aligned phrases with accented, Cyrillic and multi-line texts. The same
// arguments give the same dictionary on every machine.
namespace synthetic {

QList<TLangDict> makeDictionary(int rows, int languages = 4, std::uint32_t seed = 1);

// Writes the dictionary without indentation, as the component does; aborts on failure.
void writeDictionary(const QList<TLangDict>& dict, const QString& path);

} // namespace synthetic

} // namespace orb
