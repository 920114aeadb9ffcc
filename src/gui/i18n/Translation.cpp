#include "i18n/Translation.h"

#include <QCoreApplication>
#include <QTranslator>

bool installJapanese(QCoreApplication& app, QTranslator& translator)
{
    const bool loaded = translator.load(QStringLiteral(":Orvantelle_ja_JP"));
    app.installTranslator(&translator);
    return loaded;
}
