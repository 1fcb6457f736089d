UIEvents ("ui/popup-load-game-events.lua");

CreateComp ("Rectangle", "veil");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0);
SetProperty ("color.g", 0);
SetProperty ("color.b", 0);
SetProperty ("color.a", 0.6);
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

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 520, 220);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.38);
SetProperty ("textbox.text", "Battle in progress");

CreateComp ("Textbox", "Question");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.46);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Return to the saved battle?");

CreateComp ("Button", "Yes");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.38, 0.6);
SetProperty ("button.text", "Yes");

CreateComp ("Button", "No");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.62, 0.6);
SetProperty ("button.text", "No");
