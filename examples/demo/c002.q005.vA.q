<div class="question">
<p class="number">Вопрос 5</p>
<p>Как подключают вольтметр к участку цепи, напряжение на котором нужно измерить?</p>
<select name="q5">
<option value="0">- выберите ответ -</option>
<option value="posl">последовательно с участком</option>
<option value="par">параллельно участку</option>
<option value="any">всё равно как</option>
</select>
</div>
<!--END-->
q5=par
