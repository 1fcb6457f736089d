UIEvents ("ui/new-profile-events.lua");

CreateComp ("Rectangle", "dim");
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
SetProperty ("ninepatch.client_size", 520, 240);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.36);
SetProperty ("textbox.text", "New profile");

CreateComp ("Textbox", "Question");
SetProperty ("inherit", "TextSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.43);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "Type a name:");

CreateComp ("Editbox", "Name");
SetProperty ("inherit", "EditboxName");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("editbox.max_chars", 30);

CreateComp ("Button", "Cancel");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.38, 0.62);
SetProperty ("button.text", "Cancel");

CreateComp ("Button", "Ok");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.62, 0.62);
SetProperty ("button.text", "OK");
