#pragma once

#include <QString>
#include <QWebEngineScript>

#include <optional>

namespace bv {

// The status-text command channel of the embedded browser. A script that runs in every frame as
// soon as its document is created gives window.status a setter; each assignment is handed to the
// client as a console message carrying a tag that only this channel's script knows, the address of
// the frame that made it and the text. The console is used because it needs no registration before
// the application starts, keeps the order of assignments, and works whatever the page's content
// security policy allows. The tag keeps a page from forging an assignment by writing to the
// console itself: the setter holds it in a closure no page script can read, so the address in a
// message is always that of the frame whose status was set.
class StatusTextChannel
{
public:
    struct Assignment
    {
        QString pageUrl;
        QString text;
    };

    StatusTextChannel(); // with a fresh random tag
    explicit StatusTextChannel(const QString& tag);

    QWebEngineScript script() const;
    // The assignment a console message carries; nullopt for every other console message.
    std::optional<Assignment> decode(const QString& consoleMessage) const;

    const QString& tag() const { return m_tag; }

private:
    QString m_tag;
};

} // namespace bv
