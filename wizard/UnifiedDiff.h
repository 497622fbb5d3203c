#pragma once

#include <QString>
#include <QStringView>

namespace orb {

// The change from one text to another as a unified diff, the form `diff -u` and `git diff`
// print and `patch` reads: the two names on "---" and "+++" lines, then hunks of the changed
// lines with three lines of context each. A line ends at LF and keeps its own line end (CR LF
// or LF), so that a change of line end shows as a change of the line; a last line without one
// is followed by "\ No newline at end of file". Empty when the texts are equal.
//
// The lines matched are a longest common sequence (Myers' algorithm, in linear space), so
// that a rewrite shows only the lines it touched.
QString unifiedDiff(QStringView original, QStringView changed, const QString& originalName,
                    const QString& changedName);

} // namespace orb
