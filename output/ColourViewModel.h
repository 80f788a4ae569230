#pragma once
// What the colour view shows, apart from its controls: the session's last
// measurements, the one shown, its colour under the illuminant and observer
// chosen in the view, and its judgement against the active standard.

#include "ColourSample.h"
#include "Journal.h"

#include "standards/Judge.h"

#include "colour/Colorimetry.h"
#include "colour/Display.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tonvale {

class ColourViewModel {
public:
    // How many of the session's measurements the strip keeps.
    static constexpr std::size_t stripLength = 12;
    // How many of the session's last measurements the diagram shows: enough
    // to see a trend, few enough to tell the points apart and to draw each
    // measurement at once.
    static constexpr std::size_t diagramLength = 100;

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
    // The second illuminant, under which a spectral standard and sample are
    // compared as well (a match under one light may be none under another).
    void chooseSecond(int illuminant);
    int secondIlluminant() const { return second; }
    // The standard every measurement is judged against; none: no judging.
    void setStandard(std::optional<standards::Standard> standard);
    const std::optional<standards::Standard>& standard() const { return active; }

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
        // The first line judged against the active standard, with ΔL*, Δa*,
        // Δb* and ΔC* in words ("明るい", "緑み", ...; empty where the
        // difference as shown is 0).
        std::optional<standards::Judgement> judgement;
        std::string lighterOrDarker;
        std::string redderOrGreener;
        std::string yellowerOrBluer;
        std::string brighterOrDuller;
        // Why the shown measurement is not judged though a standard is
        // active, or empty.
        std::string notJudged;
    };
    Shown shown() const;
    // The colour of a strip entry, as it is shown.
    std::optional<colour::DisplayColour> swatchOf(const ColourSample& sample) const;

    // The first line of sample judged against the active standard under the
    // conditions the view shows it with; none without a standard, without
    // the tables, or when it cannot be judged.
    std::optional<standards::Judgement> judge(const ColourSample& sample) const;

    // The a*b* diagram of the shown judgement: the standard's tolerance and
    // the session's measurements about it.
    struct Diagram {
        colour::Lab standard;
        // The ΔE limit's boundary in the a*b* plane at the standard's L*.
        std::vector<colour::Lab> outline;
        // How far ΔE reaches along L*, lighter and darker, to the limit.
        double lighter = 0;
        double darker = 0;
        struct Point {
            colour::Lab lab;
            bool pass = false;
            bool shown = false;
        };
        // The session's last measurements (diagramLength at most) that can
        // be judged under the shown conditions; the shown one last.
        std::vector<Point> points;
    };
    // None when the shown measurement is not judged.
    std::optional<Diagram> diagram() const;

private:
    // The tables, loaded on first use; null after a failure, whose reason
    // is kept.
    const colour::Colorimetry* colorimetry() const;
    // The rows of sample under the conditions the view shows it with.
    std::vector<Row> rows(const ColourSample& sample, int illuminant, int observer) const;
    // The white its L*a*b* is relative to, when the tables could be read.
    std::optional<colour::Xyz> white(int illuminant, int observer) const;
    // The first line of sample against the active standard under the
    // conditions it is shown with; nothing when there is no standard or no
    // line, or the tables cannot be read.
    std::optional<std::variant<standards::Judgement, standards::NotJudged>>
    judgeUnder(const ColourSample& sample, int illuminant, int observer) const;

    std::string colordDir;
    int chosenIlluminant;
    int chosenObserver;
    int second = 3; // A: a metameric match shows under incandescent light
    std::optional<standards::Standard> active;
    std::deque<ColourSample> samples;
    // The first line of the session's last measurements, for the diagram,
    // each with the serial number of its add(), as the strip's entries.
    struct SessionEntry {
        std::size_t serial;
        ColourSample first;
    };
    std::deque<SessionEntry> session;
    std::deque<std::size_t> stripSerials;
    std::size_t added = 0;
    std::optional<std::size_t> shownAt;
    mutable std::unique_ptr<colour::Colorimetry> tables;
    mutable std::string tablesProblem;
};

// A judgement as the journal keeps it, on the record of the line judged.
JournalMeasurement::Judgement journalJudgement(const standards::Standard& standard,
                                               const standards::Judgement& judgement, int line);

} // namespace tonvale
