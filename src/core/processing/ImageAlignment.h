#pragma once

#include "processing/ProcImage.h"

#include <QImage>
#include <functional>

class TiffData;
struct ColorMapper;

// The arithmetic of the image processor: edge images, the threshold and its
// slider, binarisation, the normalised scalar product of a binary image and
// the reference at a trial shift, the steepest-ascent shift search and the
// pictures the processor shows.
namespace ImageAlignment {

// Prewitt edge image of width x height pixels of `source`: the larger of
// |Gx| and |Gy| from unweighted 3 x 3 differences, samples read with the
// image's alignment shift (applyShift) or from the unshifted samples, 0
// outside the image. The range is computed.
ProcImage edgeImage(const TiffData& source, bool applyShift = true);

// The same edge image of a 16-bit source row by row as integers (sums of
// 16-bit samples, so exactly the values above): row(y, edges) for y = 0 ...
// height - 1, edges[x] for x = 0 ... width - 1. False, without a call, for
// other sample types and for sources wider or higher than 32768 pixels.
bool forEachEdgeRow16(const TiffData& source, bool applyShift,
                      const std::function<void(int y, const qint32* edges)>& row);

// Sets the outermost pixel ring to 0 and recomputes the range: what the edge
// operator finds there is the image's border against the zeros outside, the
// same in every image whatever the sample does.
void clearBorder(ProcImage* image);

// Slider position s (0 ... 999) to threshold: s / 1000 x (max - min) + min.
double thresholdOfSlider(int s, double max, double min);
// Threshold to slider position: int((t - min) / (max - min) x 1000); a
// result that is not a finite number in the int range gives 0.
int sliderOfThreshold(double t, double max, double min);

// 1 where value > t, else 0 (a value equal to t gives 0); range computed.
ProcImage binarize(const ProcImage& value, double t);

// Both images present and of one size; otherwise false with the debug line
// "no bin image", "no ref bin image" or "size mis-match".
bool comparable(const ProcImage& binary, const ProcImage& reference);
// The same rule on the two images' sizes (0 x 0 for an empty image), for
// other forms of binary images.
bool comparableSizes(int width, int height, int refWidth, int refHeight);

// Sum b r / sqrt(sum b^2 sum r^2) over the pixels (x, y) of `binary` with
// (x + sx, y + sy) inside, b = binary(x, y), r = reference(x + sx, y + sy);
// 0 when the product under the root is not positive. Same sizes assumed.
double score(const ProcImage& binary, const ProcImage& reference, int sx, int sy);

// The eight neighbours in search order.
constexpr int neighbourCount = 8;
constexpr int neighbourDx[neighbourCount] = {1, 1, 1, 0, -1, -1, -1, 0};
constexpr int neighbourDy[neighbourCount] = {1, 0, -1, -1, -1, 0, 1, 1};

struct SearchResult {
    int sx = 0;
    int sy = 0;
    double score = 0.0;
    int steps = 0;
};
// Steepest ascent from (sx, sy) with the score `best` there: at each step the
// neighbour with the highest score strictly above best (ties to the earlier
// one in search order) becomes the position, until none improves.
// Binary images (samples 0 and 1 only) are scored packed (PackedBinary),
// with the same scores.
SearchResult searchShift(const ProcImage& binary, const ProcImage& reference, int sx, int sy, double best);
// That climb for images of width x height with any score(sx, sy).
SearchResult climb(int width, int height, int sx, int sy, double best,
                   const std::function<double(int sx, int sy)>& score);

// The comparison picture, width x height RGB: at (k, j) red 255 reference(k, j),
// green 255 binary(k - sx, j - sy), blue 0; blue 255 alone where (k - sx,
// j - sy) is outside the binary image. Pixels beyond the reference read 0.
QImage overlay(const ProcImage& binary, const ProcImage& reference, int sx, int sy, int width, int height);

// The image through a colour mapper at (v - minimum) / (maximum - minimum).
QImage render(const ProcImage& image, const ColorMapper& mapper);

} // namespace ImageAlignment
