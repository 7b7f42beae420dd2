#pragma once

#include "controls.h"

#include <string_view>

namespace vektrano {

enum class Icon { Information, Critical };

// All the run may do to a window. The Qt form implements it, and so does the
// command-line tool's window that exists only in memory. Texts are UTF-8; log
// line breaks are written explicitly as CR LF by the callers.
class WindowOperations : public ControlReader
{
public:
    // Replaces the text of Txt_Offset_X or Txt_Offset_Y.
    virtual void WriteField(Field field, std::string_view text) = 0;
    virtual void SetLog(std::string_view text) = 0;
    virtual void AppendLog(std::string_view text) = 0;
    // 0 to 100; fractions allowed.
    virtual void SetProgress(float value) = 0;
    // On shows the busy pointer and repaints at once, before the long work starts.
    virtual void SetBusyCursor(bool on) = 0;
    // Modal, OK button only; returns when the user has closed it.
    virtual void MessageBox(std::string_view text, std::string_view title, Icon icon) = 0;
    // Lets the window process pending events. Returns false when the window wants
    // the run to end now (it is being closed); the run then closes the script and
    // removes it unless it was complete, restores the cursor and returns without
    // further messages.
    virtual bool Yield() = 0;
    // Lets the window repaint and answer the window system, but takes no user input,
    // so no field can change: the phases that must not yield call it at short
    // intervals, and the window decides by its clock whether to do anything.
    virtual void Repaint() = 0;
    // The decimal separator of the user's locale, for the offsets the run writes.
    virtual char DecimalSeparator() const = 0;
};

} // namespace vektrano
