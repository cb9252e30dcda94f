#pragma once
// The screenshot mode: every window of the program in fixed states, dark and light, as
// PNG images in a directory, from a scratch world of its own (ScratchWorld) and without
// showing anything on screen. One "wrote NAME W×H" line per image on standard output.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace orvane {

class AppModel;
class SettingsStore;

namespace RenderUI {

// What a test watches of a run; the program gives none.
struct Hooks {
    // Before each shot, with the model as the shot shows it; false leaves its images out.
    std::function<bool(const std::string& name, AppModel& model)> beforeShot;
    // After the last shot, before the scratch world goes.
    std::function<void(AppModel& model, const std::shared_ptr<SettingsStore>& store,
                       const std::filesystem::path& scratch)>
        afterShots;
};

// Renders every shot into `directory` (made with its missing parents; a relative path is
// the current directory's). Nothing fails towards the caller: an image that cannot be
// made or written is left out without a line.
void run(const std::filesystem::path& directory, const Hooks& hooks = {});

// The "--render-ui DIR" start: the toolkit set up for repeatable pixels (offscreen, the
// Fusion style, DejaVu Sans, en_US with "C" numerics), then run(). Always 0.
int command(int argc, char** argv, const std::string& directory);

}  // namespace RenderUI
}  // namespace orvane
