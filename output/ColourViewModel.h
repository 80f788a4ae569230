#pragma once
// What the colour view shows, apart from its controls: the session's last
// measurements, the one shown, and its colour under the illuminant and
// observer chosen in the view.

#include "ColourSample.h"

#include "colour/Colorimetry.h"
#include "colour/Display.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tonvale {

class ColourViewModel {
public:
    // How many of the session's measurements the strip keeps.
    static constexpr std::size_t stripLength = 12;

    // colordDir: where the spectral tables are, read when first needed.
    // illuminant, observer: the view's choice to begin with.
    ColourViewModel(std::string colordDir, int illuminant, int observer);
    ~ColourViewModel();

    // A new measurement, which becomes the one shown.
    void add(ColourSample sample);
    // Shows the strip's entry at index (0 the oldest); out of range does
    // nothing.
    void show(std::size_t index);
    // The view's illuminant and observer, for spectral data.
    void choose(int illuminant, int observer);

    const std::deque<ColourSample>& strip() const { return samples; }
    std::optional<std::size_t> shownIndex() const { return shownAt; }

    struct Row {
        std::string component;
        colour::Lab lab;
        colour::LCh lch;
    };

    struct Shown {
        // Null before the first measurement.
        const ColourSample* sample = nullptr;
        // What the drop-downs show: the view's choice for spectral data, the
        // measurement's own for L*a*b* data (-1: the instrument's, unknown).
        int illuminant = 0;
        int observer = 0;
        bool conditionsEnabled = true;
        // One row for each data line shown.
        std::vector<Row> rows;
        // The first line's colour on the screen.
        std::optional<colour::DisplayColour> swatch;
        // Why nothing could be computed (a spectral table that cannot be
        // read), or empty.
        std::string problem;
    };
    Shown shown() const;
    // The colour of a strip entry, as it is shown.
    std::optional<colour::DisplayColour> swatchOf(const ColourSample& sample) const;

private:
    // The tables, loaded on first use; null after a failure, whose reason
    // is kept.
    const colour::Colorimetry* colorimetry() const;
    // The rows of sample under the conditions the view shows it with.
    std::vector<Row> rows(const ColourSample& sample, int illuminant, int observer) const;
    // The white its L*a*b* is relative to, when the tables could be read.
    std::optional<colour::Xyz> white(int illuminant, int observer) const;

    std::string colordDir;
    int chosenIlluminant;
    int chosenObserver;
    std::deque<ColourSample> samples;
    std::optional<std::size_t> shownAt;
    mutable std::unique_ptr<colour::Colorimetry> tables;
    mutable std::string tablesProblem;
};

} // namespace tonvale
