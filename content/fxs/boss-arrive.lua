-- fxs/boss-arrive.lua
-- A boss breaks into the field: a ring of dust and a dark shock ring, with its roar.

FXParm ("num_parts", 14);
FXParm ("bitmap", "fxs/dust.png");
FXParm ("color_r", 0.75, 0.85);
FXParm ("color_g", 0.65, 0.75);
FXParm ("color_b", 0.5, 0.6);
FXParm ("alpha", 0.56, 0.7);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("area_radius", 20, 40);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 120);
FXParm ("dampening_factor", 0.2, 0.4);
FXParm ("scale", 0.9, 1.3);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.4);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -45, 45);
FXParm ("age_to_die", 1, 1.5);
FXParm ("sound", "sfx/boss_roar");
FXParm ("sound_volume", 1, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.3, 0.35);
FXParm ("color_b", 0.2, 0.25);
FXParm ("scale_graph", 0, 0.8);
FXParm ("scale_graph", 1, 4.5);
FXParm ("age_to_die", 0.7, 0.7);
FXParm ("blend_mode", "NORMAL");
