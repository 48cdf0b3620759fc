#pragma once

#include <string>
#include <vector>

namespace commands {

// The part of the main window a command may see and change. The window implements it; tests
// give a view of their own, so commands run without widgets.
class CommandView
{
public:
    virtual ~CommandView() = default;

    // Full paths of the ticked files in list order, bytes exactly as the folder listing gave them
    // (a name need not be valid UTF-8).
    virtual std::vector<std::string> tickedFiles() const = 0;
    // Clears every tick of the file list.
    virtual void clearTicks() = 0;
    // Lists the input folder anew (LISTVIEW_FILL); only the first file comes ticked.
    virtual void refillList() = 0;
    // The caption of the send button, shown at once: the window does not return to its event
    // loop until the command ends.
    virtual void setSendCaption(const std::string& caption) = 0;
    // True when the Belgian webshop is chosen on the window.
    virtual bool isBelgianShopChosen() const = 0;
    // Closes the window; closing the main window ends the program.
    virtual void closeWindow() = 0;

    // The busy pointer: shown from beginBusy() until the matching endBusy(); pairs may nest.
    // Commands use BusyScope rather than calling these.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;
};

// The busy pointer for a stretch of a command's work; the normal one returns however the
// stretch ends, or earlier with release() (before a message box, say).
class BusyScope
{
public:
    explicit BusyScope(CommandView& view)
        : m_view(view)
    {
        m_view.beginBusy();
    }
    ~BusyScope() { release(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void release()
    {
        if (m_active) {
            m_active = false;
            m_view.endBusy();
        }
    }

private:
    CommandView& m_view;
    bool m_active = true;
};

} // namespace commands
