UIEvents ("ui/chapter-3-completed-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.03);
SetProperty ("color.g", 0.04);
SetProperty ("color.b", 0.03);
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Marker", "centre");
SetProperty ("inherit", "LayoutCentre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "layout");
SetProperty ("inherit", "LayoutFrame");
SetProperty ("parent", "centre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Image", "Picture");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.05);
SetProperty ("align", "HCENTER");
SetProperty ("image.bitmap", "ui/gfx/chapter-3.png");

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.54);
SetProperty ("textbox.text", "The Foundry Falls Silent");

CreateComp ("Textbox", "Story");
SetProperty ("inherit", "TextBody");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.63);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 640);
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "The ironjaw is scrap. The last hive burns behind you and the radio fills with voices asking for your name. The squad sleeps for the first time in weeks.");

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.93);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.text", "Click to continue");

CreateComp ("Button", "tap_to_continue");
SetProperty ("scale_type", "FIT_TO_COVER_SCREEN");
SetProperty ("position", 0.5, 0.5);
SetProperty ("color.a", 0);
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "ui/gfx/panel-dark.png");
SetProperty ("button.bm_over", "!NONE");
SetProperty ("button.bm_pressed", "!NONE");
SetProperty ("button.bm_disabled", "!NONE");

CreateComp ("Button", "Exit");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.88, 0.92);
SetProperty ("button.text", "Credits");
