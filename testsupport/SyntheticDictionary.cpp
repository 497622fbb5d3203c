#include "SyntheticDictionary.h"

#include "component/DictionaryFile.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace orb {

namespace synthetic {

namespace {

struct Column
{
    const char* id;
    const char* name;
    quint8 charset;
    QStringList words;
};

QList<Column> columns()
{
    auto words = [](const char* list) { return QString::fromUtf8(list).split(u' '); };
    return {
        {"English", "English", 0,
         words("file open save close window edit view help about settings language dictionary phrase "
               "translate export import delete insert column row sort print search replace next previous "
               "cancel apply user project source form button label menu toolbar status line text value "
               "error warning message question answer start stop run build test check option select "
               "copy paste cut undo redo zoom")},
        {"German", "Deutsch", 0,
         words("Datei öffnen speichern schließen Fenster bearbeiten Ansicht Hilfe über Einstellungen "
               "Sprache Wörterbuch Satz übersetzen Export Import löschen einfügen Spalte Zeile sortieren "
               "drucken suchen ersetzen nächste vorherige abbrechen anwenden Benutzer Projekt Quelle "
               "Formular Schaltfläche Beschriftung Menü Werkzeugleiste Zustand Zeile Text Wert Fehler "
               "Warnung Nachricht Frage Antwort starten anhalten ausführen erstellen prüfen Häkchen "
               "Option wählen kopieren einfügen ausschneiden rückgängig wiederholen Größe")},
        {"Russian", "Русский", 204,
         words("файл открыть сохранить закрыть окно правка вид справка программа настройки язык словарь "
               "фраза перевести экспорт импорт удалить вставить столбец строка сортировать печать поиск "
               "заменить следующий предыдущий отмена применить пользователь проект источник форма кнопка "
               "надпись меню панель состояние линия текст значение ошибка предупреждение сообщение вопрос "
               "ответ пуск стоп выполнить собрать тест проверка параметр выбрать копировать вставка "
               "вырезать отменить повторить масштаб")},
        {"French", "Français", 0,
         words("fichier ouvrir enregistrer fermer fenêtre édition affichage aide àpropos paramètres langue "
               "dictionnaire phrase traduire exporter importer supprimer insérer colonne ligne trier "
               "imprimer chercher remplacer suivant précédent annuler appliquer utilisateur projet source "
               "formulaire bouton étiquette menu barre état ligne texte valeur erreur avertissement message "
               "question réponse démarrer arrêter exécuter construire tester vérifier option sélectionner "
               "copier coller couper défaire refaire zoom")},
    };
}

} // namespace

QList<TLangDict> makeDictionary(int rows, int languages, std::uint32_t seed)
{
    const QList<Column> all = columns();
    QList<TLangDict> dict;
    for (int l = 0; l < languages; ++l) {
        const Column& column = all[l % all.size()];
        TLangDict language;
        language.LangID = QString::fromUtf8(column.id) + (l < all.size() ? QString() : QString::number(l));
        language.LangName = QString::fromUtf8(column.name);
        language.Charset = column.charset;
        language.Phrases.reserve(rows);
        dict.append(language);
    }
    // Raw engine output only: std distributions differ between standard libraries.
    std::mt19937 random(seed);
    std::vector<int> picks;
    for (int row = 0; row < rows; ++row) {
        const int count = 2 + int(random() % 8);
        picks.clear();
        for (int w = 0; w < count; ++w)
            picks.push_back(int(random() % 64));
        const bool multiLine = row % 17 == 5;
        const bool capitalised = row % 3 == 0;
        for (int l = 0; l < languages; ++l) {
            const QStringList& words = all[l % all.size()].words;
            QString text;
            for (int w = 0; w < count; ++w) {
                if (w > 0)
                    text += (multiLine && w == count / 2) ? u'\n' : u' ';
                text += words[picks[w] % words.size()];
            }
            if (capitalised)
                text[0] = text[0].toUpper();
            dict[l].Phrases.append(text);
        }
    }
    return dict;
}

void writeDictionary(const QList<TLangDict>& dict, const QString& path)
{
    QString error;
    if (!orb::writeDictionaryFile(dict, path, orb::Layout::Compact, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
        std::abort();
    }
}

} // namespace synthetic

} // namespace orb
