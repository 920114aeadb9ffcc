#pragma once

class QCoreApplication;
class QTranslator;

// Loads the compiled-in Japanese catalogue ":Orvantelle_ja_JP" into
// `translator` and installs it, even when loading failed (the texts then stay
// English). Returns whether the catalogue was found.
bool installJapanese(QCoreApplication& app, QTranslator& translator);
