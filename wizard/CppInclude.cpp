#include "wizard/CppInclude.h"

#include <algorithm>
#include <vector>

namespace orb {

namespace {

// A preprocessor line: its directive's name and the rest, where it ends, and how many
// conditional blocks are open before it.
struct Directive
{
    QString name;
    QString argument;
    qsizetype lineStart = 0;
    qsizetype lineEnd = 0;
    int depth = 0;
};

// The directives of the text, in order; lines inside block comments are not read.
std::vector<Directive> directivesOf(const EditedText& text)
{
    std::vector<Directive> directives;
    int depth = 0;
    bool inComment = false;
    for (qsizetype lineStart = 0; lineStart < text.size();) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QString line = text.mid(lineStart, lineEnd - lineStart);
        const QString trimmed = line.trimmed();
        if (!inComment && trimmed.startsWith(u'#')) {
            Directive directive;
            const QString body = trimmed.sliced(1).trimmed();
            qsizetype nameEnd = 0;
            while (nameEnd < body.size() && body[nameEnd].isLetter())
                ++nameEnd;
            directive.name = body.left(nameEnd);
            directive.argument = body.sliced(nameEnd).trimmed();
            directive.lineStart = lineStart;
            directive.lineEnd = lineEnd;
            if (directive.name == u"endif" || directive.name == u"elif" || directive.name == u"else")
                depth = std::max(depth - (directive.name == u"endif" ? 1 : 0), 0);
            directive.depth = directive.name == u"elif" || directive.name == u"else" ? depth - 1 : depth;
            if (directive.name.startsWith(u"if"))
                ++depth;
            directives.push_back(directive);
        }
        // Whether a block comment is still open at the line's end (strings are not told apart).
        for (qsizetype at = 0; at + 1 < line.size(); ++at) {
            if (!inComment && line[at] == u'/' && line[at + 1] == u'/')
                break;
            if (line[at] == (inComment ? u'*' : u'/') && line[at + 1] == (inComment ? u'/' : u'*')) {
                inComment = !inComment;
                ++at;
            }
        }
        lineStart = lineEnd + 1;
    }
    return directives;
}

// The whole file is an include guard: "#ifndef X" then "#define X" first, and the "#endif"
// that closes it last.
bool hasIncludeGuard(const std::vector<Directive>& directives)
{
    if (directives.size() < 3)
        return false;
    const Directive& open = directives.front();
    const Directive& define = directives[1];
    const Directive& close = directives.back();
    return open.name == u"ifndef" && define.name == u"define" && define.argument.startsWith(open.argument)
        && close.name == u"endif" && close.depth == 0
        && std::none_of(directives.begin() + 1, directives.end() - 1,
                        [](const Directive& d) { return d.depth == 0; });
}

} // namespace

IncludePlace findIncludePlace(const EditedText& text, QStringView header, qsizetype firstUse)
{
    const std::vector<Directive> directives = directivesOf(text);
    const bool guarded = hasIncludeGuard(directives);
    const int fileLevel = guarded ? 1 : 0;
    IncludePlace place;
    if (guarded && directives[1].lineEnd < firstUse)
        place.lineEnd = directives[1].lineEnd;
    for (const Directive& directive : directives) {
        if (directive.lineStart >= firstUse)
            break;
        if (directive.depth != fileLevel)
            continue;
        const bool pragmaOnce = directive.name == u"pragma" && directive.argument == u"once";
        if (directive.name == u"include" || directive.name == u"import" || pragmaOnce)
            place.lineEnd = directive.lineEnd;
        if (directive.name == u"include" && directive.argument.contains(header))
            place.included = true;
    }
    return place;
}

} // namespace orb
