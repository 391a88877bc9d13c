// The strip pages (Music and Mic, Main/Center/Sub/Rear, Echo and Reverb): their controls created, laid out
// and painted here; what each code does with them is the portable StripPage.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/pages/strip_page.h"
#include "gui/controls/band_editor_win32.h"
#include "gui/controls/combo_label_win32.h"
#include "gui/controls/image_button_win32.h"
#include "gui/controls/response_graph_win32.h"
#include "gui/controls/value_control_win32.h"
#include "gui/pages/page_window_win32.h"
#include "gui/pages/strip_eq_files_win32.h"
#include "gui/win/tooltip_win32.h"

namespace vela {

class CStripPageWindow : public CPageWindow, private IStripControls {
  public:
    CStripPageWindow(int template_id, int page_id);
    ~CStripPageWindow() override { Destroy(); }

    StripPage& Model() { return model_; }

    // The page's controls, for the main window's tests; valid once the page has been sized.
    CEQ_Lum0& Editor(int band) { return *editors_.at(static_cast<std::size_t>(band)); }
    CEA_Lum2& ValueControl(int slot) { return *values_.at(static_cast<std::size_t>(slot)); }
    CLum_ComboBox& Combo(int combo) { return *combos_.at(static_cast<std::size_t>(combo)); }
    Clum_CStatic& Label(int label) { return *labels_.at(static_cast<std::size_t>(label)); }
    CGDI_Button& Button(int button) { return *buttons_.at(static_cast<std::size_t>(button)); }
    Clum_CStatic& RowCaption(int row) { return rows_.at(static_cast<std::size_t>(row)); }
    CLum_NewScope& Graph() { return graph_; }
    // What a combo box or a band field says of the device's value; empty when it shows that value.
    std::wstring ComboNote(int combo) const {
        return notes_.Text(combos_.at(static_cast<std::size_t>(combo))->Hwnd());
    }
    std::wstring BandNote(int band, int field) const { return notes_.Text(BandNoteWindow(band, field)); }
    bool ControlsCreated() const { return created_; }
    // What the graph's "Import EQ..." and "Export EQ..." ask the user through; the system's dialogs unless a
    // test answers instead.
    void SetEqFileDialogs(IEqFileDialogs& dialogs) { eq_dialogs_ = &dialogs; }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void PaintControls(HDC picture) override;

  private:
    void CreateControls();
    void CreateValueControls(HDC bg);
    void CreateCombos(HDC bg);
    // After the first layout: the graph's bands and every control's first value.
    void StartControls();
    void Layout(int width, int height);
    void LayoutBands(int width, int height, const PageScale& page);
    void HideUnshown();
    void LayoutCells(const PageScale& page);
    // A combo box in its cell; where it cannot be that low it rises and its caption gives way.
    void PlaceCombo(int index, int row, int column_tenths, const Rect& cell, const PageScale& page);

    // Tells the rules what a control shows after its notification.
    void Notified(UINT message, int index, LPARAM lparam);

    void SetBandField(int band, int field, double x) override;
    void SetGraphBand(int band, int field, double x) override;
    void SetGraphPassFreq(int which, double hz) override { graph_.SetPassFreq(which, hz); }
    void SetGraphPassType(int code) override { graph_.SetPassType(code); }
    void SetGraphEqActive(int flag) override { graph_.SetEqActive(flag); }
    void SetValue(int slot, double v) override;
    void SetValueCaption(int slot, const std::wstring& caption) override;
    void SetValueNote(int slot, const std::wstring& note) override;
    void SetComboItem(int combo, int item) override;
    void SetComboNote(int combo, const std::wstring& note) override;
    void SetBandNote(int band, int field, const std::wstring& note) override;
    // The window a band field's note stands on: its box, or the editor for the type.
    HWND BandNoteWindow(int band, int field) const;
    void SetLabelCaption(int label, const std::wstring& caption) override;
    void SetRowCaption(int row, const std::wstring& caption) override;
    void SetButtonCheck(int button, int state) override;
    void SetButtonCaption(int button, const std::wstring& caption) override;
    void PostMicSelected(int which) override;

    StripPage model_;
    std::vector<std::unique_ptr<CEQ_Lum0>> editors_;
    std::vector<std::unique_ptr<CEA_Lum2>> values_;
    std::vector<std::unique_ptr<Clum_CStatic>> labels_;
    std::vector<std::unique_ptr<CLum_ComboBox>> combos_;
    std::vector<std::unique_ptr<CGDI_Button>> buttons_;
    std::array<Clum_CStatic, kRowCaptions> rows_;
    CLum_NewScope graph_;
    bool created_ = false;
    IEqFileDialogs* eq_dialogs_ = &SystemEqFileDialogs();
    ToolTip notes_{ToolTip::kNoteWidth};
};

// Main (0), Center (1), Sub (2) and Rear (9).
class CWinOut : public CStripPageWindow {
  public:
    explicit CWinOut(int page_id);
};

// Music (3) and Mic (4).
class CWinIn : public CStripPageWindow {
  public:
    explicit CWinIn(int page_id);
};

// Echo (5) and Reverb (6).
class CWinEffect : public CStripPageWindow {
  public:
    explicit CWinEffect(int page_id);
};

}  // namespace vela
