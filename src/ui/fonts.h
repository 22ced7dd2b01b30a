#pragma once

#include <QFont>

namespace zelvor {

// "微软雅黑" asked for by character height in pixels; where the face is missing the system's
// default GUI font stands in, at the same height and weight.
QFont YaHeiFont(int pixelHeight, QFont::Weight weight);

}  // namespace zelvor
