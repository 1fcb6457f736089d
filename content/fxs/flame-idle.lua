-- fxs/flame-idle.lua
-- A lick of flame over a burning napalm patch.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.45, 0.75);
FXParm ("color_b", 0.15, 0.25);
FXParm ("area_radius", 0, 6);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 10, 25);
FXParm ("mass", -2, -1);
FXParm ("scale", 0.4, 0.7);
FXParm ("scale_graph", 0, 0.7);
FXParm ("scale_graph", 0.3, 1);
FXParm ("scale_graph", 1, 0.3);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -90, 90);
FXParm ("age_to_die", 0.2, 0.35);
