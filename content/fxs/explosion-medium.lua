-- fxs/explosion-medium.lua
-- A grenade blast: flash, fire and smoke.

-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.5, 0.7);
FXParm ("scale", 1.4, 1.8);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.15, 0.2);
FXParm ("sound", "sfx/explosion_big");
FXParm ("sound_volume", 0.8, 0.9);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- fire
FXParm ("num_parts", 8);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.45, 0.75);
FXParm ("color_b", 0.15, 0.3);
FXParm ("area_radius", 0, 8);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 30, 80);
FXParm ("dampening_factor", 0.1, 0.3);
FXParm ("scale", 0.6, 0.9);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 0.3, 1.1);
FXParm ("scale_graph", 1, 0.4);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -120, 120);
FXParm ("age_to_die", 0.35, 0.6);

AddFX ();
-- smoke
FXParm ("num_parts", 6);
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
FXParm ("speed", 15, 40);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -60, 60);
FXParm ("age_to_die", 0.9, 1.4);
