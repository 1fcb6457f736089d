-- fxs/powerup-health.lua
-- A health power-up takes effect: green plus signs rising in a green glow.

FXParm ("num_parts", 6);
FXParm ("bitmap", "fxs/plus.png");
FXParm ("color_r", 0.3, 0.4);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.35, 0.45);
FXParm ("area_radius", 0, 14);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 50);
FXParm ("speed", 30, 60);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 30);
FXParm ("scale", 0.7, 1);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.15, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.7, 1);
FXParm ("sound", "sfx/pickup_health");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- glow
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.3, 0.3);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.4, 0.4);
FXParm ("scale", 1.5, 1.5);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 0.8);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.6, 0.6);
