#include "base/LogCategories.h"

Q_LOGGING_CATEGORY(lcBase, "orv.base")
Q_LOGGING_CATEGORY(lcPhysics, "orv.physics")
Q_LOGGING_CATEGORY(lcDisplay, "orv.display")
Q_LOGGING_CATEGORY(lcIo, "orv.io")
Q_LOGGING_CATEGORY(lcGrid, "orv.grid")
Q_LOGGING_CATEGORY(lcProcessing, "orv.processing")
Q_LOGGING_CATEGORY(lcAnalysis, "orv.analysis")
Q_LOGGING_CATEGORY(lcOutput, "orv.output")
Q_LOGGING_CATEGORY(lcBatch, "orv.batch")
Q_LOGGING_CATEGORY(lcPlot, "orv.plot")
Q_LOGGING_CATEGORY(lcGui, "orv.gui")
Q_LOGGING_CATEGORY(lcApp, "orv.app")
Q_LOGGING_CATEGORY(lcTime, "orv.time")
Q_LOGGING_CATEGORY(lcResults, "orv.results")

const char* LogCategories::quietRules()
{
    return "orv.*.debug=false\norv.results.debug=true";
}
