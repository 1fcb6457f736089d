// The timeline screen and the timeline's HTML export.
#include "tools/timeline-tools.h"

#include "app/services/dataman.h"
#include "app/services/gameman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/timeline.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-listbox.h"
#include "orvex.h"
#include "tools/dev-edits.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const int kListboxType = 5;

// The text with '&', '<', '>', '"' and '\'' as HTML entities.
std::string Html(const char *text)
{
    std::string out;
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += *p;
        }
    }
    return out;
}

}  // namespace

ScreenTimeline::ScreenTimeline() : Screen("Timeline")
{
}

ScreenTimeline &GetTimelineScreen()
{
    static ScreenTimeline screen;
    return screen;
}

bool ScreenTimeline::PreLoad()
{
    // The layout ships with the developer content; a build without it has no UI here.
    if (ov_file_t *f = ov->OV_OpenFile("ui/fw/timeline.lua", "rb")) {
        ov->OV_CloseFile(f);
        LoadUI("ui/fw/timeline.lua");
    }
    events = nullptr;
    return true;
}

void ScreenTimeline::Draw(float)
{
    DrawUI();
}

UICompListbox *ScreenTimeline::EventList()
{
    return ui ? (UICompListbox *)GetCompOfType("Events", kListboxType) : nullptr;
}

const char *ScreenTimeline::SelectedEventId()
{
    UICompListbox *list = EventList();
    if (!list || list->selected < 0 || list->selected >= list->GetNumberOfLines())
        return nullptr;
    return list->GetLine(list->selected)->id;
}

void ScreenTimeline::Enter()
{
    const char *file = timeline.GetTimelineFilename();
    DMDatabase *db = file ? dman().GetDatabase(file) : nullptr;
    events = db ? db->GetArray("timeline") : nullptr;
    UICompListbox *list = EventList();
    if (!events || !list)
        return;
    list->ClearLines();
    ov_bitmap_t *none = ov->OV_GetBitmap("!NONE");
    for (int i = 0; i < events->GetSize(); i++) {
        DMNode *node = events->GetNode(i);
        const char *id = node ? node->GetValue("id") : nullptr;
        const char *type = node ? node->GetValue("type") : nullptr;
        int line = list->AddLine(none, "%s", id ? id : "");
        list->SetLineId(line, id);
        if (type && strcmp(type, "GAME") == 0) {
            const char *game = node->GetValue("game");
            list->SetLineTextRight(line, "GAME=%s", game ? game : "");
        } else if (type) {
            list->SetLineTextRight(line, "%s", type);
        }
    }
}

void ScreenTimeline::Leave()
{
}

void ScreenTimeline::Update(float dt)
{
    Screen::Update(dt);
    const char *id = SelectedEventId();
    if (!id)
        return;
    TimelineEventInfo info;
    timeline.GetEventInfo(&info, id);
    // The values are shown as they are: a '%' in them is no format.
    if (UIComp *name = GetComp("QuestName"))
        sman.SetText(name, "%s", info.game ? info.game : "");
    if (UIComp *desc = GetComp("QuestDesc"))
        sman.SetText(desc, "%s", info.screens ? info.screens : "");
}

bool ScreenTimeline::ProcessUICompClick(UIComp *comp, int)
{
    if (!comp || !comp->name || !strstr(comp->name, "Play"))
        return true;
    const char *id = SelectedEventId();
    if (!id)
        return true;
    // The id lives in the list, which the simulation may refill: keep a copy.
    std::string target = id;
    game_man.DeleteSaveGame();
    timeline.SimulateGameToTimelineEvent(target.c_str());
    return true;
}

int Timeline::ExportHTML(const char *path)
{
    // The page is built in memory, then written whole through the dev-edits writer.
    char *text = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&text, &size);
    if (!f) {
        ov->OV_Popupf(1, "Unable to open '%s'\n", path ? path : "");
        return 0;
    }
    fputs("<html>\n\n", f);
    fputs("<body>\n\n", f);
    fputs("<h1>Timeline export</h1>\n\n", f);
    for (int i = 0; events && i < events->GetSize(); i++) {
        DMNode *node = events->GetNode(i);
        fputs("<br>\n\n", f);
        fflush(f);
        ExportEvent(f, node ? node->GetValue("id") : nullptr);
    }
    fputs("</body>\n\n", f);
    fputs("</html>\n\n", f);
    bool built = fclose(f) == 0 && text;
    // The writer gives the popup itself when the file cannot be written.
    bool ok = built && WriteDevEdit(path, text, size, "Unable to open '%s'\n");
    if (!built)
        ov->OV_Popupf(1, "Unable to open '%s'\n", path ? path : "");
    free(text);
    return ok ? 1 : 0;
}

void Timeline::ExportEvent(FILE *f, const char *id)
{
    if (!f || !id)
        return;
    DMNode *event = GetEvent(id);
    const char *type = event ? event->GetValue("type") : nullptr;
    if (type && strcmp(type, "...") == 0)
        return;
    if (processor && event && processor->ExportEvent(f, event))
        return;
    fprintf(f, "<h2>Event '%s' of type '%s'</h2>\n\n", Html(id).c_str(), Html(type).c_str());
}
