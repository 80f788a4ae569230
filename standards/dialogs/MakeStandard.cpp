#include "MakeStandard.h"

#include "StandardDialog.h"
#include "StandardsEditor.h"

#include "ColourSample.h"
#include "Messages.h"

namespace standards {

std::optional<std::string> makeStandardOfShown(wxWindow* parent,
                                               const tonvale::ColourViewModel::Shown& shown,
                                               Store& store)
{
    if (shown.sample == nullptr || shown.rows.empty() || shown.sample->lines.empty())
        return std::nullopt;
    MeasuredColour measured;
    measured.dataType = shown.sample->dataType;
    measured.values = shown.sample->lines.front().values;
    measured.illuminant = shown.illuminant;
    measured.observer = shown.observer;
    measured.lab = shown.rows.front().lab;
    Standard standard;
    if (const Problem problem = standardOfMeasurement(measured, standard); problem == Problem::Conditions) {
        tonvale::showMessage(219);
        return std::nullopt;
    } else if (problem != Problem::None) {
        tonvale::showText(problemText(problem));
        return std::nullopt;
    }
    StandardForm form = StandardForm::of(standard);
    form.name = shown.sample->name;
    std::optional<std::string> added;
    StandardDialog dialog(parent, StandardDialog::Mode::FromMeasurement, form,
                          [&](const StandardForm& typed, Field& bad) {
                              if (!addStandard(store, standard, typed, false, bad))
                                  return false;
                              added = typed.name;
                              return true;
                          });
    dialog.ShowModal();
    return added;
}

} // namespace standards
