#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/View.h>

#include <memory>

namespace solen::platform {

class ViewController;

// The top of a view tree. A window shows its root view controller's view over its bounds, and
// lays out and draws its tree on the main loop. `makeKeyAndVisible` registers it with the application
// as the key window. Main thread only.
class SOLEN_EXPORT Window : public View {
public:
    // A window covering the main screen.
    static std::shared_ptr<Window> create();
    static std::shared_ptr<Window> create(Rect frame);
    explicit Window(Rect frame);

    std::shared_ptr<Window> window() const override;

    std::shared_ptr<ViewController> rootViewController() const { return rootViewController_; }
    // Replaces the root controller: the old one's view leaves the window, the new one's view
    // fills the window's bounds. Appearance callbacks run around each move.
    void setRootViewController(std::shared_ptr<ViewController> controller);

    void makeKeyAndVisible();
    bool isKeyWindow() const;

    void layoutSubviews() override;

protected:
    bool isWindow() const override { return true; }

private:
    friend class View;
    // One pass on a later turn of the main loop: layout, then drawing.
    void scheduleUpdatePass();

    std::shared_ptr<ViewController> rootViewController_;
    bool updatePassScheduled_ = false;
};

}  // namespace solen::platform
