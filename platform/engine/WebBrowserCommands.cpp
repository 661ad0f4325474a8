// TWebBrowser: ExecWB and QueryStatusWB.

#include "platform/com/KnownGuids.h"
#include "platform/engine/DocumentCommands.h"
#include "platform/engine/EnginePage.h"
#include "platform/engine/WebBrowser.h"

#include <QLoggingCategory>
#include <QWebEngineView>

#include <array>
#include <cmath>
#include <span>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)

namespace {

// Text sizes 0 (smallest) to 4 (largest) as zoom factors; 2 is the normal size.
constexpr std::array<double, 5> kZoomLevels{0.7, 0.85, 1.0, 1.2, 1.5};

struct EditCommand {
    DWORD command;
    QWebEnginePage::WebAction action;
    bool needsSelection;
};
constexpr std::array<EditCommand, 4> kEditCommands{{
    {OLECMDID_CUT, QWebEnginePage::Cut, true},
    {OLECMDID_COPY, QWebEnginePage::Copy, true},
    {OLECMDID_PASTE, QWebEnginePage::Paste, false},
    {OLECMDID_SELECTALL, QWebEnginePage::SelectAll, false},
}};

const EditCommand *FindEdit(DWORD command) {
    for (const EditCommand &edit : kEditCommands) {
        if (edit.command == command)
            return &edit;
    }
    return nullptr;
}

LONG ZoomLevelOf(double factor) {
    LONG best = 2;
    for (LONG i = 0; i < static_cast<LONG>(kZoomLevels.size()); ++i) {
        if (std::abs(kZoomLevels[i] - factor) < std::abs(kZoomLevels[best] - factor))
            best = i;
    }
    return best;
}

} // namespace

engine::DocumentCommands &TWebBrowser::Commands() {
    if (!m_commands)
        m_commands = new engine::DocumentCommands(m_view, this);
    return *m_commands;
}

// A document has completed in this control (about:blank included).
bool TWebBrowser::HasDocument() const {
    return !m_snapshot.url.isEmpty();
}

HRESULT TWebBrowser::ExecDocumentCommand(const GUID *group, DWORD command, DWORD option,
                                         VARIANT *in, VARIANT *out) {
    if (!group)
        return ExecWB(command, option, in, out); // the standard commands
    if (*group != CGID_IWebBrowser)
        return OLECMDERR_E_UNKNOWNGROUP;
    switch (command) {
    case engine::HTMLID_FIND:
        return HasDocument() ? Commands().Find() : OLECMDERR_E_DISABLED;
    case engine::HTMLID_VIEWSOURCE:
        return HasDocument() ? Commands().ViewSource() : OLECMDERR_E_DISABLED;
    case engine::HTMLID_OPTIONS:
        return Commands().InternetOptions();
    default:
        return OLECMDERR_E_NOTSUPPORTED;
    }
}

HRESULT TWebBrowser::QueryDocumentCommands(const GUID *group, ULONG count, OLECMD *commands) {
    if (count && !commands)
        return E_POINTER;
    if (group && *group != CGID_IWebBrowser)
        return OLECMDERR_E_UNKNOWNGROUP;
    for (OLECMD &command : std::span(commands, count)) {
        command.cmdf = 0;
        if (!group) {
            QueryStatusWB(command.cmdID, &command.cmdf); // unknown commands stay 0
            continue;
        }
        switch (command.cmdID) {
        case engine::HTMLID_FIND:
        case engine::HTMLID_VIEWSOURCE:
            command.cmdf = OLECMDF_SUPPORTED | (HasDocument() ? OLECMDF_ENABLED : 0);
            break;
        case engine::HTMLID_OPTIONS:
            command.cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
            break;
        default:
            break;
        }
    }
    return S_OK;
}

HRESULT TWebBrowser::QueryStatusWB(DWORD command, DWORD *status) {
    if (!status)
        return E_POINTER;
    *status = 0;
    if (const EditCommand *edit = FindEdit(command)) {
        *status = OLECMDF_SUPPORTED;
        if (!edit->needsSelection || Page()->hasSelection())
            *status |= OLECMDF_ENABLED;
        return S_OK;
    }
    switch (command) {
    case OLECMDID_PRINT:
    case OLECMDID_PRINTPREVIEW:
    case OLECMDID_PAGESETUP:
    case OLECMDID_SAVEAS:
    case OLECMDID_PROPERTIES:
        *status = OLECMDF_SUPPORTED;
        if (HasDocument())
            *status |= OLECMDF_ENABLED;
        return S_OK;
    case OLECMDID_ZOOM:
    case OLECMDID_GETZOOMRANGE:
    case OLECMDID_REFRESH:
    case OLECMDID_STOP:
        *status = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
        return S_OK;
    default:
        return OLECMDERR_E_NOTSUPPORTED;
    }
}

HRESULT TWebBrowser::ExecWB(DWORD command, DWORD option, VARIANT *in, VARIANT *out) {
    if (const EditCommand *edit = FindEdit(command)) {
        if (edit->needsSelection && !Page()->hasSelection())
            return OLECMDERR_E_DISABLED;
        Page()->triggerAction(edit->action);
        return S_OK;
    }
    switch (command) {
    case OLECMDID_PRINT:
    case OLECMDID_PRINTPREVIEW:
    case OLECMDID_PAGESETUP:
    case OLECMDID_SAVEAS:
    case OLECMDID_PROPERTIES:
        if (!HasDocument())
            return OLECMDERR_E_DISABLED;
        return command == OLECMDID_PRINT          ? Commands().Print(option)
               : command == OLECMDID_PRINTPREVIEW ? Commands().PrintPreview()
               : command == OLECMDID_PAGESETUP    ? Commands().PageSetup(option)
               : command == OLECMDID_SAVEAS       ? Commands().SaveAs(option, in)
                                                  : Commands().Properties(m_snapshot);
    case OLECMDID_ZOOM: {
        if (in && !in->IsEmpty()) {
            const std::optional<LONG> level = in->ToI4();
            if (!level || *level < 0 || *level >= static_cast<LONG>(kZoomLevels.size()))
                return E_INVALIDARG;
            Page()->setZoomFactor(kZoomLevels[static_cast<std::size_t>(*level)]);
        }
        if (out)
            *out = Variant(ZoomLevelOf(Page()->zoomFactor()));
        return S_OK;
    }
    case OLECMDID_GETZOOMRANGE:
        if (!out)
            return E_POINTER;
        // Low word the smallest level, high word the largest.
        *out = Variant(static_cast<LONG>((kZoomLevels.size() - 1) << 16));
        return S_OK;
    case OLECMDID_REFRESH:
        return Refresh();
    case OLECMDID_STOP:
        return Stop();
    default:
        qCWarning(lcBrowser, "ExecWB command %u is not implemented",
                  static_cast<unsigned>(command));
        return OLECMDERR_E_NOTSUPPORTED;
    }
}
