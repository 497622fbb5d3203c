#pragma once

#include "DictTable.h"
#include "Harvest.h"

#include <QSet>

// The target language column of an open dictionary, as the harvest fills it: a phrase goes into
// the last row unless that row holds text, then into a new one. The column's texts are kept in
// a hash, so that a phrase costs the same whatever the column's length.
class ColumnSink : public PhraseSink
{
public:
    ColumnSink(DictTable& table, int column);

    // At least one phrase was added.
    bool changed() const { return m_changed; }

    bool phraseExists(const QString& phrase) const override;
    void addPhrase(const QString& phrase) override;

private:
    DictTable& m_table;
    int m_column;
    QSet<QString> m_held;
    bool m_changed = false;
};
