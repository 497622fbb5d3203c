#pragma once

#include <QString>

namespace orb {

// The open dictionary as the wizard reaches it: a language column named by the exact text of
// its header cell. The editor's main window is the one implementation; the wizard's windows
// know nothing else of it.
class HarvestTarget
{
public:
    virtual bool PhraseExists(const QString& header, const QString& text) const = 0;
    // Ignores a phrase the column holds already and a header no column has.
    virtual void AddPhrase(const QString& header, const QString& text) = 0;

protected:
    ~HarvestTarget() = default;
};

} // namespace orb
