#pragma once

#include "BodyContext.h"

#include <QObject>

class Analyzed2DRes;
class CommandTable;

// The analyzer window and the result map it selects: the window's settings
// words (reference rows, scales, element rows and their background values),
// showing the map in the image view, deglitching it and dumping its values.
class ResultMapController : public QObject
{
    Q_OBJECT
public:
    explicit ResultMapController(BodyContext& c);
    ~ResultMapController() override;

    // Gives the image view the analyzer's chosen map with its caption.
    void pickAnalyzerMap();
    void showResAnalysis(bool f);
    void selectedNewRef();
    void setupResAnalysisImage();
    void showProcImg(bool f);
    void deglitch();
    void showAnalyzedVals();
    // Index of the first reference row whose Show button is checked, 0 if none.
    int shownReferenceRow() const;
    // Gives `map` the colour-range rule of the Min/Max box (every map put on
    // show goes through here).
    void applyRangeRule(Analyzed2DRes* map) const;

private:
    void addCommands(CommandTable& t);
    void addElementCommands(CommandTable& t);

    BodyContext& m_c;
};
