-- fxs/menu-embers.lua
-- Embers rising along the bottom of the main menu: one ember a burst, the menu's emitter
-- bursts every 0.2 s (about thirty alive at once, each for 4 to 7 s).

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ember.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.45, 0.75);
FXParm ("color_b", 0.1, 0.25);
FXParm ("area_box", 1024, 40);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 20, 50);
FXParm ("scale", 0.4, 0.9);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 0.9);
FXParm ("alpha_graph", 1, 0);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 4, 7);
