#pragma once

#include <QString>

class QFileDialog;

// Where file dialogs open: in the folder last used for the same kind of file
// (kept between runs when settings are kept), else in the data root, else in
// the home folder; never at the root of the file system.
namespace DialogFolder {

// Opens `dialog` where files of kind `kind` were last chosen and remembers
// the folder of every choice made in it.
void follow(QFileDialog* dialog, const QString& kind);
// The folder a dialog for `kind` opens in now.
QString startFor(const QString& kind);
// Remembers the folder of `file` as the last one used for `kind`.
void remember(const QString& kind, const QString& file);

}
