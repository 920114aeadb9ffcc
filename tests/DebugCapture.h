#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

// Collects every debug line written while it lives, so tests can check the
// program's fixed diagnostic texts word for word.
class DebugCapture
{
public:
    DebugCapture()
    {
        messages().clear();
        m_previous = qInstallMessageHandler(&DebugCapture::handle);
    }
    ~DebugCapture() { qInstallMessageHandler(m_previous); }
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    static QStringList& messages()
    {
        static QStringList list;
        return list;
    }
    static QStringList lines() { return messages(); }
    bool contains(const QString& text) const { return messages().contains(text); }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& text) { messages() << text; }
    QtMessageHandler m_previous;
};

// The debug lines written while f runs.
inline QStringList debugLinesOf(const std::function<void()>& f)
{
    DebugCapture capture;
    f();
    return DebugCapture::lines();
}
