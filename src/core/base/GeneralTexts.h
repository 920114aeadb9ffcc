#pragma once

#include <QtGlobal>

// Texts shared by every window that starts and stops long work; the windows
// translate them in the "General" context.
namespace GeneralTexts {
inline const char* const start = QT_TRANSLATE_NOOP("General", "Start");
inline const char* const stop = QT_TRANSLATE_NOOP("General", "Stop");
inline const char* const stopping = QT_TRANSLATE_NOOP("General", "Stopping");
}
