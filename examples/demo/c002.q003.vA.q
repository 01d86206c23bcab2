<div class="question">
<p class="number">Вопрос 3</p>
<p>Отметьте верное утверждение о законе Ома для участка цепи.</p>
<label><input type="checkbox" name="q3" value="a"> Сила тока прямо пропорциональна сопротивлению участка.</label><br>
<label><input type="checkbox" name="q3" value="b"> Сила тока прямо пропорциональна напряжению на концах участка.</label><br>
<label><input type="checkbox" name="q3" value="c"> Сопротивление проводника зависит от силы тока в нём.</label>
</div>
<!--END-->
q3=b
