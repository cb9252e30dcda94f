#pragma once
// The screenshot mode's switch (GlassStyle::offscreenRender in Tokens.h) for the length of
// one render: on while the object lives, back to what it found when it goes, so a render
// in a process that goes on (the tests) leaves nothing on for the views made after it.
namespace orvane::kit::GlassStyle {

class OffscreenRender {
public:
    OffscreenRender();
    ~OffscreenRender();
    OffscreenRender(const OffscreenRender&) = delete;
    OffscreenRender& operator=(const OffscreenRender&) = delete;

private:
    bool previous_;
};

}  // namespace orvane::kit::GlassStyle
