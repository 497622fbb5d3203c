#pragma once

// The bytes of a dictionary file before they are parsed: which encoding they are in, the
// characters no dictionary may hold, and what the parse tree of them would cost. Only the
// format's reader uses this.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <utility>

namespace orb {

enum class Sniffed { Utf8, Utf8WithBom, Unicode, Legacy };

// The encoding the file's bytes are in; for Legacy, the name its XML declaration gives.
Sniffed sniffEncoding(const QByteArray& bytes, QByteArray* legacyName);

// The file's text in the UTF-8 that pugixml parsed, so that offsets into the one are offsets
// into the other; line ends are as the file has them.
QByteArray parsedText(const QString& path);

// A buffer that pugixml takes over with load_buffer_inplace_own.
struct PugiBuffer
{
    void* data = nullptr;
    std::size_t size = 0;
    explicit PugiBuffer(std::size_t bytes);
    ~PugiBuffer();
    PugiBuffer(const PugiBuffer&) = delete;
    PugiBuffer& operator=(const PugiBuffer&) = delete;
    void* release()
    {
        void* d = data;
        data = nullptr;
        return d;
    }
};

// A file not in UTF-8 turned into the UTF-8 that is parsed, in buffer. A legacy code page
// must give the file's bytes back when the text is encoded again: a byte it leaves undefined
// would be read as a replacement character and lost at the next save.
bool decodeStrictly(const QByteArray& bytes, Sniffed sniffed, const QByteArray& legacyName, PugiBuffer& buffer,
                    QString& why);

// A character no dictionary may hold, where the parsed text has it (offset -1: none).
struct NonXmlChar
{
    std::ptrdiff_t offset = -1;
    char32_t code = 0;
};
NonXmlChar findNonXmlChar(const char* text, std::size_t size);
QString characterName(char32_t code);

// The elements of the parse tree of this text and the bytes the tree would take, counted
// before it is made.
struct TreeSize
{
    qint64 elements = 0;
    qint64 bytes = 0;
};
TreeSize parseTreeSize(const char* text, std::size_t size);
// Of the read budget, what is left for the tree once the file's own copies are counted.
qint64 budgetForTree(qint64 fileBytes);

} // namespace orb
