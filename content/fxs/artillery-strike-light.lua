-- fxs/artillery-strike-light.lua
-- A light shell lands: a smaller flash and a little smoke.

-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.5, 0.7);
FXParm ("scale", 1.2, 1.5);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.2, 0.25);
FXParm ("sound", "sfx/explosion_small");
FXParm ("sound_volume", 0.7, 0.85);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- smoke
FXParm ("num_parts", 3);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.3, 0.45);
FXParm ("color_g", 0.3, 0.45);
FXParm ("color_b", 0.3, 0.45);
FXParm ("alpha", 0.48, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("scale", 0.6, 1);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.6);
FXParm ("area_radius", 0, 10);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 15, 35);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -60, 60);
FXParm ("age_to_die", 0.8, 1.2);
