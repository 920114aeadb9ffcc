#include "analysis/AnalysisSnapshots.h"

void registerAnalysisMetaTypes()
{
    registerSpectrumMetaTypes();
    qRegisterMetaType<ReferenceSnapshot>("ReferenceSnapshot");
    qRegisterMetaType<QVector<ReferenceSnapshot>>("QVector<ReferenceSnapshot>");
    qRegisterMetaType<ElementSnapshot>("ElementSnapshot");
    qRegisterMetaType<QVector<ElementSnapshot>>("QVector<ElementSnapshot>");
    qRegisterMetaType<BackgroundValues>("BackgroundValues");
    qRegisterMetaType<QVector<double>*>("QVector<double>*");
    qRegisterMetaType<QVector<double>>("QVector<double>");
    qRegisterMetaType<QVector<int>>("QVector<int>");
}
