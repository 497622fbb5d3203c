#pragma once

#include "wizard/EditedText.h"
#include "wizard/SourceFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace orb {

// The harvest of translatable literals from a project: the scanners of Delphi unit sources and
// form files (C++ sources and Qt Designer forms have theirs in CppHarvest.h and
// DesignerForm.h), and the walk over a project directory. No widgets: the harvest window,
// orb-lng harvest and the tests are three callers of this code, each supplying its own
// HarvestPrompt (how the user is asked and shown the text) and PhraseSink (where accepted
// phrases go).
//
// Buffers have LF line ends (see SourceFile); positions are 0-based.

// The phrase a literal, or an expression of literals and character codes, stands for:
// quoted pieces joined, '' inside a piece one quote, #13 dropped and #10 a line break when no
// digit follows them, line breaks of the source dropped, everything outside the pieces dropped.
QString DecodeLiteral(QStringView source);

// A form file's text with every #dddd code (exactly four digits) turned into a quoted piece of
// that character, then adjacent pieces joined into one literal (a '' pair is removed unless it
// stands between a space and a line end).
QString NormalizeFormText(QStringView text);

// The position of the ")" that ends a Translate call whose literal begins with the quote at
// start: the first ")" outside quotes, the quote at start opening the first. -1 when none.
qsizetype FindCallEnd(const EditedText& text, qsizetype start);

struct Selection
{
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    friend bool operator==(const Selection&, const Selection&) = default;
};

enum class Answer { Yes, No, Cancel };

// The questions of the harvest. Their texts are interface texts in Russian; a caller
// translates promptSource(kind) and puts the argument in place of %s.
enum class PromptKind {
    WrapLiteral, // unit: add the phrase and wrap the literal in Translate(...)? Yes/No/Cancel
    AddPhrase,   // form: add the phrase? Yes/No/Cancel
    AddUses,     // unit: insert the translation unit into the uses clause? Yes/No
    SaveFile,    // unit: replace the file? Yes/No; the argument is the file's path
};
QString promptSource(PromptKind kind);
// The argument as it goes into the prompt text: the phrase, "OrbTranslate" or the path.
QString promptText(PromptKind kind, const QString& translatedSource, const QString& argument);

// What the harvest tells the user after a Yes that did not do all a question said.
enum class HarvestNote {
    // The phrase went into the dictionary, the source stays as it was: the selection is not one
    // whole string expression (a word inside a literal, a piece of code), and wrapping it would
    // change the program's text or write code that does not compile.
    NotWholeLiteral,
    // The same for a C++ literal that stands where a QString may not go (a QByteArray, a
    // const char*, an argument of a call not known to take a QString).
    NoQStringHere,
    // The selection stands for no text: nothing was added.
    NothingToAdd,
};
// The note as an interface text in Russian, %s the phrase; a caller translates it first.
QString noteSource(HarvestNote note);
// Why the harvest left a file as it was, though the walk met it.
enum class FileNote {
    NotAFile,       // a link to nothing, a named pipe, a device with a source's name: passed over
    OutsideProject, // its real path lies outside the project folder (a link leads there): its
                    // phrases were harvested, the file is never rewritten
    ChangedOnDisk,  // saved by another program since it was read: not rewritten, its edit kept
};

// How a scan shows what it does and asks the user. The scan owns the text; the caller's view
// mirrors it through these calls (the user may only change the selection).
class HarvestPrompt
{
public:
    virtual ~HarvestPrompt();

    // Why this caller cannot show the text, or empty when it can; the file then fails like
    // one that cannot be read. A window cannot lay out a line of megabytes and stay usable.
    virtual QString cannotShow(const EditedText& text) const;
    // A new file is being scanned; text is its buffer (live until the next call).
    virtual void showFile(const QString& path, const EditedText& text);
    // The scan selected a candidate; scrollFurther: scroll the view one line beyond it.
    virtual void showSelection(Selection selection, bool scrollFurther);
    // The scan inserted text at pos (the view must insert it too).
    virtual void textInserted(qsizetype pos, QStringView inserted);
    // A search through the text begins or ends (a window shows the busy cursor meanwhile).
    virtual void searchStarted();
    virtual void searchFinished();
    // A literal already inside Translate(...) was harvested without a question.
    virtual void wrappedLiteralHarvested(Selection literal, const QString& phrase);
    // After a Yes about selection: what was done differs from what the question said.
    virtual void noted(HarvestNote note, Selection selection, const QString& phrase);
    // The harvest left the file at path as it was; reason says it in the words orb-lng prints.
    virtual void fileNoted(const QString& path, FileNote note, const QString& reason);

    // Asks a question about argument (see PromptKind). selection is the selection the
    // question is about; on return it must hold the selection as it stands when the user
    // answered (the user may select something else while the question is open).
    virtual Answer ask(PromptKind kind, const QString& argument, Selection& selection) = 0;
};

// Where accepted phrases go: the target language column of the dictionary.
class PhraseSink
{
public:
    virtual ~PhraseSink();
    virtual bool phraseExists(const QString& phrase) const = 0;
    // Ignores a phrase the column holds already.
    virtual void addPhrase(const QString& phrase) = 0;
};

// What a scan of one file decided.
struct UnitScanResult
{
    bool proceed = true; // false: the user cancelled, the whole walk stops
    bool save = false;   // literals were rewritten and the user agreed to replace the file
    // A line the scan added (an #include) ends with the line break of this index among the
    // text's line breaks; -1 when it added none. The file gives it its neighbour's line end.
    qsizetype addedLineBreak = -1;
};

// Scans a unit's text: offers every non-ASCII literal (a literal runs through doubled quotes
// to its closing one), rewrites an accepted selection into Translate('...') in text when it is
// one whole string expression and only adds its phrase otherwise, harvests literals already
// inside Translate silently, and at the end asks about the uses clause and the save of the
// file at path (the save prompt names it).
UnitScanResult harvestUnitText(EditedText& text, HarvestPrompt& prompt, PhraseSink& sink,
                               const QString& path);
// Scans a form's normalised text: offers every non-ASCII literal not yet in the column.
// False when the user cancelled.
bool harvestFormText(const EditedText& text, HarvestPrompt& prompt, PhraseSink& sink);

// Which literals of C++ sources are offered.
enum class CppOffer {
    NonAscii,   // those holding a character of code 128 or more (a project not written in English)
    WithLetter, // every one holding a letter, except those cppKeyRules() takes for keys
};

// What the user chose for a harvest, beside the project and the column.
struct HarvestSettings
{
    QByteArray legacyEncoding; // for files whose bytes are not UTF-8
    CppOffer cppOffer = CppOffer::NonAscii;
};

// The kinds of files a harvest reads, told by their extensions in any case.
enum class SourceKind {
    None,
    PascalUnit,   // .pas
    DelphiForm,   // .dfm
    CppSource,    // .cpp .cc .cxx .c++ .h .hh .hpp .hxx
    DesignerForm, // .ui
};
// Files Qt's build tools generate (moc_*, qrc_*, ui_*.h, *.moc) are None: their literals are
// meta-object tables and copies of a form's texts, not sources to harvest.
SourceKind sourceKindOf(const QString& fileName);
// How orb-lng names the kind: "pascal", "delphi-form", "cpp", "qt-form".
QString sourceKindName(SourceKind kind);

// One step of the walk.
enum class HarvestStep { Continue, Cancelled, Failed };

// What the walk does with the files it meets.
class ProjectHarvester
{
public:
    virtual ~ProjectHarvester();
    virtual HarvestStep harvestUnit(const QString& path) = 0;
    virtual HarvestStep harvestForm(const QString& path) = 0;
    virtual HarvestStep harvestCppSource(const QString& path) = 0;
    virtual HarvestStep harvestDesignerForm(const QString& path) = 0;
    // Ends the walk as a cancel before its next entry (the window was closed meanwhile).
    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }
    // The project folder of the walk under way, links resolved; empty outside a walk.
    const QString& projectRoot() const { return m_projectRoot; }

private:
    friend HarvestStep walkProjectDir(const QString& directory, ProjectHarvester& harvester);
    bool m_stopRequested = false;
    QString m_projectRoot;
};

// Walks a directory tree depth-first, entries in name order, hidden ones included: each file
// to the harvest of its SourceKind, subdirectories walked where met (but the *_autogen folders
// of Qt's build tools). A directory or file reached again through a link is not visited twice.
// Stops at every level on the first step that is not Continue and returns it. A directory
// that cannot be listed is passed over.
HarvestStep walkProjectDir(const QString& directory, ProjectHarvester& harvester);

// The harvester the window and orb-lng share (in ProjectWalk.cpp): reads each file, lets the
// scans ask through prompt, adds to sink, and writes accepted rewrites back, each only while
// the file is still what was read and only inside the project folder. What is not a file is
// passed over, and every file left alone is told to the prompt (fileNoted). A failure
// (unreadable, too large, unwritable) ends the walk with the message in errorText().
class FileHarvester : public ProjectHarvester
{
public:
    FileHarvester(HarvestPrompt& prompt, PhraseSink& sink, HarvestSettings settings);

    HarvestStep harvestUnit(const QString& path) override;
    HarvestStep harvestForm(const QString& path) override;
    HarvestStep harvestCppSource(const QString& path) override;
    HarvestStep harvestDesignerForm(const QString& path) override;

    // Accepted rewrites are kept instead of written at once, for writeKeptRewrites: orb-lng
    // writes the dictionary first, so that a kill at any moment leaves no Translate call on
    // disk whose phrase the dictionary on disk lacks.
    void keepRewrites() { m_keepRewrites = true; }
    const std::vector<SourceRewrite>& keptRewrites() const { return m_kept; }
    // Writes the kept rewrites in the order of the walk; Failed at the first that cannot be
    // written. One changed on disk meanwhile is left alone and noted.
    HarvestStep writeKeptRewrites();

    // The failure that ended the walk: file and reason, for the user.
    QString errorText() const { return m_error; }
    QStringList savedFiles() const { return m_saved; }

private:
    // The step that ends this file's harvest when it cannot be read (Failed, with the walk's
    // error set) or is no file (Continue, noted); none when it was read.
    std::optional<HarvestStep> read(const QString& path, SourceFile& file);
    // False, with the walk's error set, when the prompt cannot show the text.
    bool show(const QString& path, const EditedText& text);
    HarvestStep fail(const QString& path, const QString& reason);
    // Runs the scan of a source it may rewrite, and writes or keeps what the user accepted;
    // a source outside the project is scanned without its save question.
    HarvestStep scanSource(const QString& path, const SourceFile& file, const EditedText& text,
                           const std::function<UnitScanResult(HarvestPrompt&)>& scan);
    HarvestStep write(const SourceRewrite& rewrite);
    bool insideProject(const QString& path) const;

    HarvestPrompt& m_prompt;
    PhraseSink& m_sink;
    HarvestSettings m_settings;
    QString m_error;
    QStringList m_saved;
    bool m_keepRewrites = false;
    std::vector<SourceRewrite> m_kept;
};

} // namespace orb
