-- fxs/env-fire.lua
-- A burning wreck: flames and a few embers.

-- fire
FXParm ("num_parts", 2);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.45, 0.75);
FXParm ("color_b", 0.15, 0.3);
FXParm ("area_radius", 0, 12);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 5, 15);
FXParm ("dampening_factor", 0.1, 0.3);
FXParm ("scale", 0.6, 0.9);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 0.3, 1.1);
FXParm ("scale_graph", 1, 0.4);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -120, 120);
FXParm ("age_to_die", 0.5, 0.8);
FXParm ("move_angle", -90);
FXParm ("mass", -2, -1);

AddFX ();
-- embers
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ember.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.4, 0.7);
FXParm ("color_b", 0.1, 0.2);
FXParm ("area_radius", 0, 10);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 50);
FXParm ("speed", 15, 35);
FXParm ("mass", -1, -0.5);
FXParm ("scale", 0.4, 0.7);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.6, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 1, 1.6);
