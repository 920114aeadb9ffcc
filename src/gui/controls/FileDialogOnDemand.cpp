#include "controls/FileDialogOnDemand.h"

#include <QFileDialog>

FileDialogOnDemand::FileDialogOnDemand(std::function<QFileDialog*()> make)
    : m_make(std::move(make))
{
}

QFileDialog* FileDialogOnDemand::dialog()
{
    if (!m_dialog)
        m_dialog = m_make();
    return m_dialog.data();
}

QFileDialog* FileDialogOnDemand::made() const
{
    return m_dialog.data();
}

void FileDialogOnDemand::show()
{
    dialog()->show();
}
