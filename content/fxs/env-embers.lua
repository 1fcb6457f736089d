-- fxs/env-embers.lua
-- Embers drifting up from the foundry floor.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ember.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.4, 0.7);
FXParm ("color_b", 0.1, 0.2);
FXParm ("area_box", 100, 40);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 60);
FXParm ("speed", 10, 30);
FXParm ("mass", -1, -0.5);
FXParm ("scale", 0.4, 0.7);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 1.5, 2.5);
