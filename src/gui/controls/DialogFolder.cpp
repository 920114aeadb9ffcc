#include "controls/DialogFolder.h"

#include "base/Persisted.h"
#include "base/StartupOptions.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHash>

namespace {

QString keyOf(const QString& kind)
{
    return QStringLiteral("folders/") + kind;
}

// The folders of this run, also when nothing is kept between runs.
QHash<QString, QString>& sessionFolders()
{
    static QHash<QString, QString> folders;
    return folders;
}

}

namespace DialogFolder {

QString startFor(const QString& kind)
{
    const QString last = sessionFolders().value(kind, Persisted::value(keyOf(kind)).toString());
    return AppPaths::startFolder(last);
}

void remember(const QString& kind, const QString& file)
{
    if (file.isEmpty())
        return;
    const QString folder = QFileInfo(file).absolutePath();
    sessionFolders().insert(kind, folder);
    Persisted::setValue(keyOf(kind), folder);
}

void follow(QFileDialog* dialog, const QString& kind)
{
    dialog->setDirectory(startFor(kind));
    QObject::connect(dialog, &QFileDialog::filesSelected, dialog, [kind](const QStringList& files) {
        if (!files.isEmpty())
            remember(kind, files.first());
    });
}

}
