#pragma once

#include <QString>
#include <QStringDecoder>
#include <QTranslator>

class TOrbTranslate;

namespace orb {

// Answers Qt's own translation requests (tr(), QCoreApplication::translate, the texts of Qt's
// dialogs and buttons) from the component's dictionary, so that an application written for
// Qt's machinery follows SetLangID with no change to its code. The source text is the key:
// the dictionary knows no contexts or disambiguations. A miss answers nothing, so that Qt
// shows the source text, and is never learned.
class DictionaryTranslator : public QTranslator
{
public:
    explicit DictionaryTranslator(TOrbTranslate& component);

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override;

private:
    TOrbTranslate& m_component;
    Qt::HANDLE m_thread; // the component's, where the translator is made
    // Storage reused from call to call for the source text as UTF-16. Only the component's
    // thread uses it (see translate()).
    mutable QString m_buffer;
    mutable QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

} // namespace orb
