UIEvents ("ui/profiles-events.lua");

CreateComp ("Image", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("position", 0, 0);
SetProperty ("image.bitmap", "ui/gfx/menu-bg.png");

CreateComp ("Marker", "centre");
SetProperty ("inherit", "LayoutCentre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "layout");
SetProperty ("inherit", "LayoutFrame");
SetProperty ("parent", "centre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.04);
SetProperty ("textbox.text", "Profiles");

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 520, 480);

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.22);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "Choose who is playing.");

CreateComp ("NinePatch", "ListFrame");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.45);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 420, 240);

CreateComp ("Listbox", "ProfileList");
SetProperty ("inherit", "ListBoxDefault");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.45);
SetProperty ("align", "CENTER");
SetProperty ("listbox.bm_frame", "!NONE");
SetProperty ("listbox.content_size", 420, 240);
SetProperty ("listbox.bm_selection", "ui/gfx/listbox-row.png");

CreateComp ("Button", "New");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.37, 0.685);
SetProperty ("button.text", "New");

CreateComp ("Button", "Delete");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.63, 0.685);
SetProperty ("button.text", "Delete");

CreateComp ("Button", "Ok");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.79);
SetProperty ("button.text", "OK");
