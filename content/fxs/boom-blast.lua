-- fxs/boom-blast.lua
-- The BOOM power-up: a huge flash, a shock ring racing out, fire.

-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.5, 0.7);
FXParm ("scale", 3.5, 4);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.3, 0.35);
FXParm ("sound", "sfx/explosion_big");
FXParm ("sound_volume", 1, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.9, 1);
FXParm ("color_b", 0.7, 0.8);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 6);
FXParm ("age_to_die", 0.5, 0.5);

AddFX ();
-- fire
FXParm ("num_parts", 14);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.45, 0.75);
FXParm ("color_b", 0.15, 0.3);
FXParm ("area_radius", 10, 40);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 120, 220);
FXParm ("dampening_factor", 0.1, 0.3);
FXParm ("scale", 0.8, 1.1);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 0.3, 1.1);
FXParm ("scale_graph", 1, 0.4);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -120, 120);
FXParm ("age_to_die", 0.4, 0.6);
