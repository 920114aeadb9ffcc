#pragma once

#include <QPointer>
#include <functional>

class QFileDialog;

// A file dialog made the first time it is wanted. Every file dialog starts a
// thread of Qt's own that gathers file information, with a stack of its own:
// made up front, the window's dialogs held threads (and address space a
// memory-limited run needs) for files that may never be chosen, and made
// start-up slower.
class FileDialogOnDemand
{
public:
    // make: builds the dialog with its parent, settings and connections.
    explicit FileDialogOnDemand(std::function<QFileDialog*()> make);

    // The dialog, made now if it was not yet.
    QFileDialog* dialog();
    // The dialog if it has been made, else nullptr.
    QFileDialog* made() const;
    void show();

private:
    std::function<QFileDialog*()> m_make;
    QPointer<QFileDialog> m_dialog;
};
