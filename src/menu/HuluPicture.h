#pragma once

#include <QImage>

#include <optional>

// The Hulu circle's picture, decoded once on first use from the copy the
// program carries; none when it does not decode.
const std::optional<QImage>& huluOriginalImage();
