#include "component/DictionaryTranslator.h"

#include "component/OrbTranslate.h"

#include <QThread>

#include <cstring>

namespace orb {

DictionaryTranslator::DictionaryTranslator(TOrbTranslate& component)
    : m_component(component), m_thread(QThread::currentThreadId())
{
}

QString DictionaryTranslator::translate(const char* context, const char* sourceText, const char*, int) const
{
    // Qt asks from any thread; the dictionary belongs to the component's thread, which may be
    // learning phrases into it meanwhile. Elsewhere Qt falls back to the source text.
    if (!sourceText || QThread::currentThreadId() != m_thread)
        return {};
    // Key names ("Home", "Tab", "Left") are how Qt writes and parses shortcuts: a phrase of
    // the host's that happens to spell one must not rename a key.
    if (context && std::strcmp(context, "QShortcut") == 0)
        return {};
    const QByteArrayView utf8(sourceText);
    // UTF-16 never needs more units than UTF-8 has bytes. The buffer only grows, so that
    // most calls decode into it without resizing it.
    if (m_buffer.size() < utf8.size())
        m_buffer.resize(utf8.size());
    const QChar* begin = m_buffer.data();
    const QChar* end = m_decoder.appendToBuffer(m_buffer.data(), utf8);
    QString translated;
    m_component.translateForQt(QStringView(begin, end), translated);
    return translated;
}

bool DictionaryTranslator::isEmpty() const
{
    return !m_component.hasDictionary();
}

} // namespace orb
