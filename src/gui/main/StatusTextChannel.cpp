#include "gui/main/StatusTextChannel.h"

#include <QRandomGenerator>

namespace bv {

namespace {

const QString TagPrefix = QStringLiteral("bv-status-");

// Defines the setter before any script of the page runs. Everything it calls is captured first, so
// a page that replaces console.info or String later changes nothing; location.href cannot be
// redefined by a page.
const char* const ScriptTemplate = R"JS((function () {
    var tag = "%1";
    var info = console.info.bind(console);
    var toText = String;
    var here = window.location;
    var text = "";
    Object.defineProperty(window, "status", {
        configurable: false,
        enumerable: true,
        get: function () { return text; },
        set: function (value) {
            text = toText(value);
            info(tag + "\n" + here.href + "\n" + text);
        }
    });
})();)JS";

QString randomTag()
{
    QString tag = TagPrefix;
    for (int i = 0; i < 4; ++i)
        tag += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    return tag;
}

} // namespace

StatusTextChannel::StatusTextChannel() : m_tag(randomTag()) {}

StatusTextChannel::StatusTextChannel(const QString& tag) : m_tag(tag) {}

QWebEngineScript StatusTextChannel::script() const
{
    QWebEngineScript script;
    script.setName(QStringLiteral("bv-status-channel"));
    script.setSourceCode(QString::fromLatin1(ScriptTemplate).arg(m_tag));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    return script;
}

std::optional<StatusTextChannel::Assignment> StatusTextChannel::decode(const QString& consoleMessage) const
{
    if (!consoleMessage.startsWith(m_tag) || consoleMessage.size() <= m_tag.size() ||
        consoleMessage.at(m_tag.size()) != QLatin1Char('\n'))
        return std::nullopt;
    const qsizetype urlStart = m_tag.size() + 1;
    // A page address never holds a raw line break; the text after it may.
    const qsizetype urlEnd = consoleMessage.indexOf(QLatin1Char('\n'), urlStart);
    if (urlEnd < 0)
        return std::nullopt;
    return Assignment{consoleMessage.mid(urlStart, urlEnd - urlStart), consoleMessage.mid(urlEnd + 1)};
}

} // namespace bv
