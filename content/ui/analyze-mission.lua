UIEvents ("ui/analyze-mission-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.07);
SetProperty ("color.g", 0.08);
SetProperty ("color.b", 0.06);
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("position", 0.5, 0.04);
SetProperty ("textbox.text", "Mission money");

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextSmall");
SetProperty ("position", 0.5, 0.12);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "Money before each spawn: the start, then the worth of every enemy spawned before it.");

CreateComp ("Marker", "dummy_names");
SetProperty ("position", 0.1, 0.2);

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("position", 0.07, 0.92);
