#pragma once

#include <QLoggingCategory>

// The program's diagnostic lines by subsystem. Each category is enabled
// unless a rule says otherwise; the program quiets the debug level of all of
// them at start-up but "orv.results" (output a user asked for), and
// QT_LOGGING_RULES="orv.*.debug=true" brings every line back.
Q_DECLARE_LOGGING_CATEGORY(lcBase)
Q_DECLARE_LOGGING_CATEGORY(lcPhysics)
Q_DECLARE_LOGGING_CATEGORY(lcDisplay)
Q_DECLARE_LOGGING_CATEGORY(lcIo)
Q_DECLARE_LOGGING_CATEGORY(lcGrid)
Q_DECLARE_LOGGING_CATEGORY(lcProcessing)
Q_DECLARE_LOGGING_CATEGORY(lcAnalysis)
Q_DECLARE_LOGGING_CATEGORY(lcOutput)
Q_DECLARE_LOGGING_CATEGORY(lcBatch)
Q_DECLARE_LOGGING_CATEGORY(lcPlot)
Q_DECLARE_LOGGING_CATEGORY(lcGui)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
// Time-stamped start and end lines of long work (logWithTime).
Q_DECLARE_LOGGING_CATEGORY(lcTime)
// Lines that are the result of a user's request (Fourier sums, value dumps).
Q_DECLARE_LOGGING_CATEGORY(lcResults)

namespace LogCategories {
// The filter rules the program starts with: debug lines off but results.
const char* quietRules();
} // namespace LogCategories
