UIEvents ("ui/achievements-events.lua");

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
SetProperty ("textbox.text", "Medals");

CreateComp ("NinePatch", "patchframe");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.475);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 400, 400);

CreateComp ("Aligner", "achipatch");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.475);
SetProperty ("align", "CENTER");
SetProperty ("aligner.area_width", 360);
SetProperty ("aligner.area_height", 360);

CreateComp ("Button", "Achi_they_just_keep_coming");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_xenocide");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_chemical_warfare");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_pyromaniac");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_boomaniac");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_well_supplied");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_tactical_retreat");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_not_a_scratch");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_supreme_commander");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_worm_slayer");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_egg_stomper");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_jaw_breaker");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_flawless");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_like_no_tomorrow");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_general");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("Button", "Achi_medal_of_valor");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "achipatch");

CreateComp ("NinePatch", "descframe");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.855);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 640, 60);

CreateComp ("Textbox", "AchiName");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.82);
SetProperty ("textbox.text", "");

CreateComp ("Textbox", "AchiDesc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.88);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 640);
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "Pick a medal to read about it.");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);
