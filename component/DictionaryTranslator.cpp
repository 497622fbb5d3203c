#include "DictionaryTranslator.h"

#include "OrbTranslate.h"

#include <QThread>

#include <cstring>

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
    m_key.resize(utf8.size()); // UTF-16 never needs more units than UTF-8 has bytes
    const QChar* end = m_decoder.appendToBuffer(m_key.data(), utf8);
    m_key.resize(end - m_key.constData());
    QString translated;
    m_component.translateForQt(m_key, translated);
    return translated;
}

bool DictionaryTranslator::isEmpty() const
{
    return !m_component.hasDictionary();
}
