#pragma once

#include "component/FileStamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orb {

// A project source file (a unit or a form file) as the harvest shows and rewrites it.
//
// The text always has LF line ends, one unit per line break, so that positions in it are
// positions in the harvest window's text view; the line end each line had in the file (CR LF,
// LF or CR) is kept in order, so that a rewrite, which never adds or removes a line break,
// writes every line end back as it was.
struct SourceFile
{
    QString text;
    QByteArray lineEnds;  // one per line break of text, in order: "\r\n", "\n" or "\r" as 'R', 'n', 'r'
    QByteArray encoding;  // "UTF-8" or the legacy code page the bytes were decoded with
    bool byteOrderMark = false; // the file began with the UTF-8 byte-order mark
    // The file's bytes as read: a rewrite first checks that the text encodes back into them, so
    // that bytes the legacy code page leaves undefined are never silently changed.
    QByteArray bytes;
    // A form file in Delphi's binary format (bytes FF 0A, or "TPF0", at the start): not text.
    bool binaryForm = false;
    // The file as it was when it was opened to be read, for the check before it is rewritten.
    orb::FileStamp stamp;
};

// Larger files are refused: the harvest window cannot show them.
constexpr qint64 kMaxSourceFileBytes = 64 * 1024 * 1024;

// The legacy code pages offered for files whose bytes are not UTF-8; the first is the default.
QStringList legacyEncodings();

// Reads a file: UTF-8 (byte-order mark or not) when its bytes are valid UTF-8, otherwise
// decoded with legacyEncoding. False, with the reason in *error, when the file cannot be
// read, is too large or the code page is unknown.
bool readSourceFile(const QString& path, const QByteArray& legacyEncoding, SourceFile& file,
                    QString* error);

// What a rewrite puts in place of a source file: encoded, checked, not yet written.
struct SourceRewrite
{
    QString path;
    QByteArray encoding;
    orb::FileStamp stamp;   // the file as it was read
    QByteArray original;    // and its bytes then
    QByteArray replacement; // the bytes that take their place
};

// Encodes text (LF line ends, as many line breaks as file.text) in the file's encoding,
// byte-order mark and line ends. A line break the scan added (at addedLineBreak among the
// text's line breaks, -1 for none) gets the line end of the line it was split from, so that
// the file keeps one style. False, with the reason in *error, for a file whose bytes its
// decoded text does not give back, or a text the encoding cannot hold.
bool prepareRewrite(const QString& path, const SourceFile& file, const QString& text, SourceRewrite& rewrite,
                    QString* error, qsizetype addedLineBreak = -1);

enum class RewriteOutcome {
    Written,
    ChangedOnDisk, // the file is no longer what was read (another program saved it): left alone
    Failed,
};
// Replaces the file with the rewrite, atomically, while it is still what was read: its bytes
// are compared before the write and its stamp again just before the rename, so that an edit
// saved meanwhile (in an IDE, say) is never lost. *error says why when not Written.
RewriteOutcome writeRewrite(const SourceRewrite& rewrite, QString* error);

// The rewrite as a unified diff of the file's decoded text, lines with their own line ends,
// the file named a/name and b/name as patch -p1 expects.
QString rewriteDiff(const SourceRewrite& rewrite, const QString& name);

// A harvest allocates and frees buffers of a file's size for every file, and reading a large
// dictionary does the same. glibc hands such blocks back to the kernel when they are freed and
// the next file's are faulted in again page by page, which costs as much as reading the file;
// this keeps them (up to the largest source file) for the next one. For programs, at start-up.
void keepFreedMemoryForTheNextFile();

} // namespace orb
