// A strip page's EQ to and from the filter-list text of room-measurement programs: what the window's
// "Import EQ..." and "Export EQ..." do apart from their dialogs and files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/channel_response.h"
#include "core/pages/strip_page.h"
#include "core/ui/eq_import.h"

namespace vela {

// The channel a strip page's bands stand for; the Mic page's is the microphone it edits.
Channel StripChannel(StripPage& page);

// The text fitted onto the page's bands. Values outside the strip's range are held to it (the report says
// so and the user may still cancel); a refused text comes back with its reason and nothing to apply.
EqFit FitEqText(StripPage& page, std::string_view text);

// The report for the dialog in the current language: a first line naming the file, then the fit's lines.
std::vector<std::wstring> EqImportReport(const EqFit& fit, std::wstring_view file_name);
// Why a text was refused, in the current language: the file, then the line and what was not understood.
std::wstring EqRefusalText(const EqFit& fit, std::wstring_view file_name);

// Shows the fit on the page and sends it as one edit; nothing for a refused fit. True when applied.
bool ApplyEqFit(StripPage& page, const EqFit& fit);

// The page's bands as a filter list that imports back to the same raw values, as velactl's export writes
// it (with the active bank for an output strip).
std::string EqExportText(StripPage& page);

}  // namespace vela
