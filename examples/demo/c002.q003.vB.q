<div class="question">
<p class="number">Вопрос 3</p>
<p>Отметьте верное утверждение о сопротивлении металлического проводника.</p>
<label><input type="checkbox" name="q3a"> Оно растёт, если увеличить напряжение на проводнике.</label><br>
<label><input type="checkbox" name="q3b"> Оно не зависит от длины проводника.</label><br>
<label><input type="checkbox" name="q3c"> Оно растёт при нагревании проводника.</label>
</div>
<!--END-->
q3c=on
