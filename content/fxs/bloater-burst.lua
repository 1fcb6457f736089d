-- fxs/bloater-burst.lua
-- A bloater pops: goo splattered on the ground and a cloud of gas.

-- goo that stays on the ground
FXParm ("num_parts", 12);
FXParm ("bitmap", "fxs/goo-drop.png");
FXParm ("color_r", 0.55, 0.7);
FXParm ("color_g", 0.8, 0.95);
FXParm ("color_b", 0.25, 0.35);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 70, 160);
FXParm ("dampening_factor", 0.02, 0.06);
FXParm ("scale", 0.6, 1.1);
FXParm ("angle_spread", 360);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 1, 0.8);
FXParm ("death_func", "GroundDecal");
FXParm ("age_to_die", 0.3, 0.5);
FXParm ("sound", "sfx/egg_pop");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.7, 0.8);

AddFX ();
-- gas
FXParm ("num_parts", 3);
FXParm ("bitmap", "fxs/gas.png");
FXParm ("color_r", 0.5, 0.6);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.3, 0.4);
FXParm ("alpha", 0.5, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("area_radius", 0, 12);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 5, 15);
FXParm ("scale", 0.9, 1.2);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.5);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 1.2, 1.8);
