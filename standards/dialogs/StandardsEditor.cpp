#include "StandardsEditor.h"

#include "standards/Csv.h"

#include "AtomicFile.h"
#include "Messages.h"
#include "PlatformFiles.h"
#include "Settings.h"
#include "Strings.h"

#include <wx/defs.h>

#include <algorithm>

namespace standards {
namespace {

void showStoreError(const StoreError& error)
{
    tonvale::showMessage(191, storeErrorText(error));
}

bool refused(const Reading& reading, Field& bad)
{
    if (reading)
        return false;
    bad = reading.field;
    tonvale::showText(problemText(reading.problem));
    return true;
}

} // namespace

StandardsEditor::StandardsEditor(Store& store, tonvale::PropertyFile& settings, std::string settingsPath)
    : store(store), settings(settings), settingsPath(std::move(settingsPath))
{
}

bool StandardsEditor::open()
{
    opened = tonvale::readString(settings, activeKey, "");
    chosen = opened;
    return reload();
}

bool StandardsEditor::reload()
{
    try {
        list = store.all();
        return true;
    } catch (const StoreError& error) {
        showStoreError(error);
        return false;
    }
}

std::optional<std::size_t> StandardsEditor::active() const
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const Standard& s) { return s.name == chosen; });
    if (found == list.end())
        return std::nullopt;
    return std::size_t(found - list.begin());
}


bool StandardsEditor::add(const StandardForm& form, Field& bad)
{
    if (!addStandard(store, Standard{}, form, true, bad))
        return false;
    reload();
    return true;
}

bool StandardsEditor::rename(std::size_t index, const std::string& newName)
{
    const std::string old = list.at(index).name;
    Field bad = Field::None;
    Standard renamed;
    StandardForm form;
    form.name = newName;
    if (refused(readName(form, renamed), bad))
        return false;
    if (newName == old)
        return true;
    try {
        if (store.find(newName)) {
            tonvale::showText(problemText(Problem::DuplicateName));
            return false;
        }
        store.rename(old, newName);
    } catch (const StoreError& error) {
        showStoreError(error);
        return false;
    }
    if (opened == old)
        opened = newName;
    if (chosen == old)
        chosen = newName;
    reload();
    return true;
}

bool StandardsEditor::changeTolerance(std::size_t index, const StandardForm& form, Field& bad)
{
    Standard changed = list.at(index);
    if (refused(readTolerance(form, changed), bad))
        return false;
    try {
        store.change(changed.name, changed.tolerance, changed.note);
    } catch (const StoreError& error) {
        showStoreError(error);
        return false;
    }
    reload();
    return true;
}

bool StandardsEditor::remove(std::size_t index)
{
    const std::string name = list.at(index).name;
    if (uikit::messageBox(tonvale::strings().format(217, name), tonvale::appTitle, uikit::MessageIcon::Question,
                          uikit::MessageButtons::OkCancel) != wxID_OK)
        return false;
    try {
        store.remove(name);
    } catch (const StoreError& error) {
        showStoreError(error);
        return false;
    }
    if (opened == name)
        opened.clear();
    if (chosen == name)
        chosen.clear();
    reload();
    return true;
}

bool StandardsEditor::importFrom(const std::string& path)
{
    std::string text;
    std::error_code error;
    const auto read = tonvale::readFileChunks(path, [&](std::string_view chunk) { text += chunk; }, error);
    if (read != tonvale::ReadResult::Read) {
        if (read == tonvale::ReadResult::Missing)
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        tonvale::showText(tonvale::fileErrorText(path, error, tonvale::FileAccess::Read));
        return false;
    }
    std::size_t count = 0;
    try {
        count = importCsv(store, text);
    } catch (const CsvError& bad) {
        tonvale::showMessage(210, path + "\n" + tonvale::strings().format(211, std::to_string(bad.line())) +
                                      problemText(bad.problem()));
        return false;
    } catch (const StoreError& failed) {
        showStoreError(failed);
        return false;
    }
    reload();
    tonvale::showMessage(218, std::to_string(count), tonvale::MessageIcon::Information);
    return true;
}

bool StandardsEditor::exportTo(const std::string& path) const
{
    if (const std::error_code error = tonvale::writeFileAtomically(path, toCsv(list))) {
        tonvale::showText(tonvale::fileErrorText(path, error, tonvale::FileAccess::Write));
        return false;
    }
    return true;
}

void StandardsEditor::keep(const std::string& name)
{
    settings.setString(activeKey, name);
    settings.save(settingsPath);
}

void StandardsEditor::confirm()
{
    keep(active() ? chosen : "");
}

void StandardsEditor::cancel()
{
    keep(opened);
}

bool addStandard(Store& store, Standard standard, const StandardForm& form, bool typedColour, Field& bad)
{
    if (refused(readName(form, standard), bad) || (typedColour && refused(readColour(form, standard), bad)) ||
        refused(readTolerance(form, standard), bad))
        return false;
    try {
        if (store.find(standard.name)) {
            bad = Field::Name;
            tonvale::showText(problemText(Problem::DuplicateName));
            return false;
        }
        store.add(standard);
    } catch (const StoreError& error) {
        showStoreError(error);
        return false;
    }
    return true;
}

Problem standardOfMeasurement(const MeasuredColour& measured, Standard& standard)
{
    if (measured.illuminant < 0 || measured.observer < 0)
        return Problem::Conditions;
    if (measured.dataType == 0) {
        if (measured.values.size() != std::size_t(colour::bandCount))
            return Problem::Reflectance;
        colour::Spectrum spectrum{};
        std::copy(measured.values.begin(), measured.values.end(), spectrum.begin());
        standard.reflectance = spectrum;
        standard.lab = measured.lab;
    } else {
        if (measured.values.size() != 3)
            return Problem::ChromaRange;
        standard.reflectance.reset();
        standard.lab = {measured.values[0], measured.values[1], measured.values[2]};
    }
    standard.illuminant = measured.illuminant;
    standard.observer = measured.observer;
    return checkColour(standard);
}

} // namespace standards
