UIEvents ("ui/loading-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.07);
SetProperty ("color.g", 0.08);
SetProperty ("color.b", 0.06);
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

CreateComp ("Marker", "Banner");
SetProperty ("custom_draw", 1);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.05);
SetProperty ("align", "HCENTER");

CreateComp ("Textbox", "Loader");
SetProperty ("inherit", "TextValue");
SetProperty ("parent", "layout");
SetProperty ("position", 0.88, 0.89);
SetProperty ("textbox.text", "Loading...");

CreateComp ("Marker", "Windmill");
SetProperty ("parent", "layout");
SetProperty ("position", 0.93, 0.91);
