UIEvents ("ui/field-guide-events.lua");

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
SetProperty ("textbox.text", "Field Guide");

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.52);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 640, 520);

CreateComp ("NinePatch", "PortraitFrame");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.34);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 200, 200);

CreateComp ("Image", "Portrait");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.34);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "chapter-1/hellhound/hellhound-walk.bms");

CreateComp ("Textbox", "CreatureName");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.52);

CreateComp ("Textbox", "CreatureDesc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.207, 0.59);

CreateComp ("Textbox", "PageNumber");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.76);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Button", "Prev");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.32, 0.835);
SetProperty ("button.text", "Previous");

CreateComp ("Button", "Next");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.68, 0.835);
SetProperty ("button.text", "Next");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);
